#include "platform/mail/LocationTable.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace platform::mail {
namespace {

constexpr char kFlagsMark[] = ":2,";

bool isAscii(const char* text, qsizetype length)
{
    return std::all_of(text, text + length, [](char c) { return static_cast<signed char>(c) > 0; });
}

}  // namespace

LocationTable::LocationTable(const QVector<MessageLocation>& locations)
{
    m_entries.reserve(static_cast<std::size_t>(locations.size()));
    for (const MessageLocation& location : locations)
        add(location);
    m_directoryOf = {};
    m_names.squeeze();
}

void LocationTable::add(const MessageLocation& location)
{
    m_entries.push_back(compact(location));
}

std::uint16_t LocationTable::directoryOf(const QString& folder, const QString& prefix)
{
    // Files come a directory at a time: the last one is asked for again and again.
    if (!m_directories.empty() && m_lastDirectory < m_directories.size()) {
        const Directory& last = m_directories[m_lastDirectory];
        if (last.prefix == prefix && last.folder == folder)
            return static_cast<std::uint16_t>(m_lastDirectory);
    }
    const QString key = prefix + QChar(0) + folder;
    const auto known = m_directoryOf.constFind(key);
    if (known != m_directoryOf.constEnd()) {
        m_lastDirectory = *known;
        return *known;
    }
    if (m_directories.size() >= kEmpty)
        return kOdd;
    const auto directory = static_cast<std::uint16_t>(m_directories.size());
    m_directories.push_back({folder, prefix});
    m_directoryOf.insert(key, directory);
    m_lastDirectory = directory;
    return directory;
}

LocationTable::Entry LocationTable::compact(const MessageLocation& location)
{
    const qsizetype slash = location.path.lastIndexOf(QLatin1Char('/'));
    const QStringView fileName = QStringView(location.path).mid(slash + 1);
    const QByteArray bytes = fileName.toUtf8();
    const QByteArray name = location.uniqueName.toUtf8();
    const bool flagged = fileName.size() > location.uniqueName.size();
    const bool whole =
        slash >= 0 && fileName.startsWith(location.uniqueName)
        && (flagged ? fileName.mid(location.uniqueName.size()) == QLatin1String(kFlagsMark) + location.flags
                    : location.flags.isEmpty())
        && QString::fromUtf8(bytes) == fileName && QString::fromUtf8(name) == location.uniqueName
        && bytes.size() <= std::numeric_limits<std::uint16_t>::max()
        && m_names.size() + bytes.size() < std::numeric_limits<int>::max();
    const std::uint16_t directory = whole ? directoryOf(location.folder, location.path.left(slash + 1)) : kOdd;
    if (directory == kOdd) {
        m_odd.append(location);
        return {static_cast<std::uint32_t>(m_odd.size() - 1), 0, 0, kOdd};
    }
    const Entry entry{static_cast<std::uint32_t>(m_names.size()), static_cast<std::uint16_t>(bytes.size()),
                      static_cast<std::uint16_t>(name.size()), directory};
    m_names += bytes;
    return entry;
}

LocationTable LocationTable::empty(qsizetype count, qsizetype nameBytes)
{
    LocationTable table;
    table.m_names.reserve(static_cast<int>(std::min<qsizetype>(nameBytes, std::numeric_limits<int>::max() / 2)));
    table.m_entries.assign(static_cast<std::size_t>(count), Entry{0, 0, 0, kEmpty});
    return table;
}

bool LocationTable::has(qsizetype index) const
{
    return m_entries.at(static_cast<std::size_t>(index)).directory != kEmpty;
}

void LocationTable::put(qsizetype index, const MessageLocation& location)
{
    m_entries.at(static_cast<std::size_t>(index)) = compact(location);
}

bool LocationTable::putPlainFile(qsizetype index, const QString& folder, const QString& prefix, const QByteArray& raw)
{
    const qsizetype colon = raw.indexOf(':');
    const qsizetype nameLength = colon < 0 ? raw.size() : colon;
    const bool plain = isAscii(raw.constData(), raw.size())
                       && (colon < 0 || (raw.size() - colon >= 3 && std::memcmp(raw.constData() + colon, kFlagsMark, 3) == 0))
                       && raw.size() <= std::numeric_limits<std::uint16_t>::max()
                       && m_names.size() + raw.size() < std::numeric_limits<int>::max();
    const std::uint16_t directory = plain ? directoryOf(folder, prefix) : kOdd;
    if (directory == kOdd)
        return false;
    m_entries.at(static_cast<std::size_t>(index)) = {static_cast<std::uint32_t>(m_names.size()),
                                                     static_cast<std::uint16_t>(raw.size()),
                                                     static_cast<std::uint16_t>(nameLength), directory};
    m_names += raw;
    return true;
}

LocationTable LocationTable::picked(const std::vector<qsizetype>& indexes)
{
    m_names.squeeze();  // shared from here on
    LocationTable table;
    table.m_names = m_names;
    table.m_directories = m_directories;
    table.m_odd = m_odd;
    table.m_entries.reserve(indexes.size());
    for (const qsizetype index : indexes)
        table.m_entries.push_back(m_entries.at(static_cast<std::size_t>(index)));
    return table;
}

LocationTable LocationTable::withoutEmpty()
{
    std::vector<qsizetype> kept;
    kept.reserve(m_entries.size());
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].directory != kEmpty)
            kept.push_back(static_cast<qsizetype>(i));
    }
    return picked(kept);
}

bool LocationTable::isAt(qsizetype index, const QString& root, std::string_view relative) const
{
    const Entry& entry = m_entries.at(static_cast<std::size_t>(index));
    if (entry.directory == kEmpty)
        return false;
    if (entry.directory == kOdd || !isAscii(relative.data(), qsizetype(relative.size()))) {
        return path(index)
               == root + QLatin1Char('/') + QString::fromUtf8(relative.data(), static_cast<int>(relative.size()));
    }
    // prefix + name against root + "/" + relative, without making either.
    const QString& prefix = m_directories[entry.directory].prefix;
    if (prefix.size() <= root.size() || !prefix.startsWith(root) || prefix.at(root.size()) != QLatin1Char('/'))
        return false;
    const QStringView inRoot = QStringView(prefix).mid(root.size() + 1);
    if (relative.size() < size_t(inRoot.size())
        || QLatin1String(relative.data(), static_cast<int>(inRoot.size())) != inRoot)
        return false;
    return relative.substr(size_t(inRoot.size())) == std::string_view(m_names.constData() + entry.start, entry.length);
}

MessageLocation LocationTable::at(qsizetype index) const
{
    const Entry& entry = m_entries.at(static_cast<std::size_t>(index));
    if (entry.directory == kOdd)
        return m_odd.at(entry.start);
    const Directory& directory = m_directories[entry.directory];
    const char* name = m_names.constData() + entry.start;
    MessageLocation location;
    location.folder = directory.folder;
    location.path = path(index);
    const int flagsFrom = entry.nameLength + int(sizeof kFlagsMark) - 1;
    if (isAscii(name, entry.length)) {
        location.uniqueName = QString::fromLatin1(name, entry.nameLength);
        if (entry.length > entry.nameLength)
            location.flags = QString::fromLatin1(name + flagsFrom, entry.length - flagsFrom);
        return location;
    }
    location.uniqueName = QString::fromUtf8(name, entry.nameLength);
    if (entry.length > entry.nameLength)
        location.flags = QString::fromUtf8(name + flagsFrom, entry.length - flagsFrom);
    return location;
}

QString LocationTable::path(qsizetype index) const
{
    const Entry& entry = m_entries.at(static_cast<std::size_t>(index));
    if (entry.directory == kOdd)
        return m_odd.at(entry.start).path;
    const QString& prefix = m_directories[entry.directory].prefix;
    const char* name = m_names.constData() + entry.start;
    if (!isAscii(name, entry.length))
        return prefix + QString::fromUtf8(name, entry.length);
    QString path;  // one allocation, not a decoded name and then the sum
    path.reserve(prefix.size() + entry.length);
    path.append(prefix);
    path.append(QLatin1String(name, entry.length));
    return path;
}

QVector<MessageLocation> LocationTable::all() const
{
    QVector<MessageLocation> locations;
    locations.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        locations.append(at(i));
    return locations;
}

QStringList LocationTable::uniqueNames() const
{
    QStringList names;
    names.reserve(size());
    for (const Entry& entry : m_entries) {
        names.append(entry.directory == kOdd ? m_odd.at(entry.start).uniqueName
                                             : QString::fromUtf8(m_names.constData() + entry.start, entry.nameLength));
    }
    return names;
}

}  // namespace platform::mail

#include "platform/mail/LocationTable.h"

#include <limits>

namespace platform::mail {
namespace {

constexpr char kFlagsMark[] = ":2,";

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
        && m_names.size() + bytes.size() <= std::numeric_limits<std::uint32_t>::max()
        && m_names.size() + bytes.size() < std::numeric_limits<int>::max();
    std::uint16_t directory = kOdd;
    if (whole) {
        const QString prefix = location.path.left(slash + 1);
        const QString key = prefix + QChar(0) + location.folder;
        const auto known = m_directoryOf.constFind(key);
        if (known != m_directoryOf.constEnd()) {
            directory = *known;
        } else if (m_directories.size() < kOdd) {
            directory = static_cast<std::uint16_t>(m_directories.size());
            m_directories.push_back({location.folder, prefix});
            m_directoryOf.insert(key, directory);
        }
    }
    if (directory == kOdd) {
        m_entries.push_back({static_cast<std::uint32_t>(m_odd.size()), 0, 0, kOdd});
        m_odd.append(location);
        return;
    }
    m_entries.push_back({static_cast<std::uint32_t>(m_names.size()), static_cast<std::uint16_t>(bytes.size()),
                         static_cast<std::uint16_t>(name.size()), directory});
    m_names += bytes;
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
    location.uniqueName = QString::fromUtf8(name, entry.nameLength);
    location.path = directory.prefix + QString::fromUtf8(name, entry.length);
    const int flagsFrom = entry.nameLength + int(sizeof kFlagsMark) - 1;
    if (entry.length > entry.nameLength)
        location.flags = QString::fromUtf8(name + flagsFrom, entry.length - flagsFrom);
    return location;
}

QString LocationTable::path(qsizetype index) const
{
    const Entry& entry = m_entries.at(static_cast<std::size_t>(index));
    if (entry.directory == kOdd)
        return m_odd.at(entry.start).path;
    return m_directories[entry.directory].prefix + QString::fromUtf8(m_names.constData() + entry.start, entry.length);
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

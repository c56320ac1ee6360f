#include "platform/mail/Mailbox.h"

#include "platform/desktop/Bundle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

namespace platform::mail {
namespace {

bool isMaildir(const QString& path)
{
    return !path.isEmpty()
        && (QFileInfo(path + QStringLiteral("/cur")).isDir() || QFileInfo(path + QStringLiteral("/new")).isDir());
}

qint64 deliverySeconds(const QString& uniqueName)
{
    bool ok = false;
    const qsizetype dot = uniqueName.indexOf(QLatin1Char('.'));
    const qint64 seconds = QStringView(uniqueName).left(dot < 0 ? uniqueName.size() : dot).toLongLong(&ok);
    return ok ? seconds : 0;
}

bool isAscii(const char* data, qsizetype size)
{
    return std::all_of(data, data + size, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// File names as the locale spells them; ASCII, the rule in a Maildir, without
// asking the locale's codec.
QString fileName(const QByteArray& raw)
{
    return isAscii(raw.constData(), raw.size()) ? QString::fromLatin1(raw) : QFile::decodeName(raw);
}

// Appends name as a file system spells it.
void appendEncoded(std::string& bytes, const QString& name)
{
    if (std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x80; })) {
        for (const QChar c : name)
            bytes.push_back(static_cast<char>(c.unicode()));
        return;
    }
    const QByteArray encoded = QFile::encodeName(name);
    bytes.append(encoded.constData(), static_cast<size_t>(encoded.size()));
}

// Distinct names, each numbered in the order first added: one buffer holds them
// all and an open-addressing table finds them, so neither adding nor looking up
// a name allocates.
class NameTable {
public:
    // expectedBytes: about the names' length together (UTF-16 units will do).
    // With external, the names are ranges of those bytes (addRange), not copies.
    NameTable(qsizetype expected, qsizetype expectedBytes, const char* external = nullptr) : m_external(external)
    {
        if (!external)
            m_bytes.reserve(static_cast<size_t>(expectedBytes));
        size_t buckets = 16;
        while (buckets < static_cast<size_t>(expected) * 2)
            buckets *= 2;
        m_buckets.assign(buckets, -1);
        m_keys.reserve(static_cast<size_t>(expected));
    }

    [[nodiscard]] qsizetype size() const { return static_cast<qsizetype>(m_keys.size()); }

    // The number of the name just appended to bytes() (the one after start), the
    // name's earlier number when it was there before (and then it is taken back).
    qsizetype addLast(size_t start)
    {
        const qsizetype before = size();
        const qsizetype number = addRange(start, m_bytes.size() - start);
        if (size() == before)
            m_bytes.resize(start);
        return number;
    }

    // The number of the name at [start, start + length) of the bytes, new or earlier.
    qsizetype addRange(size_t start, size_t length)
    {
        const std::string_view key(base() + start, length);
        size_t at = bucketOf(key);
        for (; m_buckets[at] >= 0; at = (at + 1) & (m_buckets.size() - 1)) {
            if (keyAt(m_buckets[at]) == key)
                return m_buckets[at];
        }
        m_keys.emplace_back(static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(length));
        m_buckets[at] = static_cast<std::int32_t>(size() - 1);
        return m_buckets[at];
    }

    [[nodiscard]] qsizetype find(std::string_view key) const
    {
        for (size_t at = bucketOf(key); m_buckets[at] >= 0; at = (at + 1) & (m_buckets.size() - 1)) {
            if (keyAt(m_buckets[at]) == key)
                return m_buckets[at];
        }
        return -1;
    }

    std::string& bytes() { return m_bytes; }

private:
    [[nodiscard]] size_t bucketOf(std::string_view key) const
    {
        return std::hash<std::string_view>{}(key) & (m_buckets.size() - 1);
    }
    [[nodiscard]] std::string_view keyAt(qsizetype number) const
    {
        const auto& [start, length] = m_keys[static_cast<size_t>(number)];
        return {base() + start, length};
    }
    [[nodiscard]] const char* base() const { return m_external ? m_external : m_bytes.data(); }

    const char* m_external;
    std::string m_bytes;
    // Start and length in m_bytes; a selection is far below 4 GB of names and
    // 2 G of them (the file that holds it is read whole).
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_keys;
    std::vector<std::int32_t> m_buckets;  // name numbers, -1 for none
};

// Calls take(raw name) for each file of a cur/ or new/ folder whose name does not
// start with a dot and that wanted(raw name) accepts: regular files and links to
// them, as the directory lists them (no order, and no stat for file systems that
// tell the kind in the entry). The raw name is the directory's bytes, undecoded.
template <class Wanted, class Take>
void forEachMessageFile(const QString& directory, Wanted wanted, Take take)
{
    const QByteArray encodedDirectory = QFile::encodeName(directory);
    DIR* dir = ::opendir(encodedDirectory.constData());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const QByteArray raw = QByteArray::fromRawData(entry->d_name, static_cast<qsizetype>(std::strlen(entry->d_name)));
        if (!wanted(raw))
            continue;
        bool file = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info {};
            const QByteArray path = encodedDirectory + '/' + raw;
            file = ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode);
        }
        if (file)
            take(raw);
    }
    ::closedir(dir);
}

// The unique name of a raw file name as the names of a selection are compared:
// its bytes up to the flags when they are ASCII, else re-encoded from the decoded
// name, so that a name the locale cannot decode matches as its decoded form does.
QByteArray uniqueKey(const QByteArray& raw)
{
    const qsizetype colon = raw.indexOf(':');
    const QByteArray unique = QByteArray::fromRawData(raw.constData(), colon < 0 ? raw.size() : colon);
    return isAscii(unique.constData(), unique.size()) ? unique : QFile::encodeName(QFile::decodeName(unique));
}

// The flags of the files of a listing (the letters after ":2,"), each distinct
// text held once: a mailbox has a handful of flag sets for thousands of messages.
class SharedFlags {
public:
    QString operator()(const QString& fileName)
    {
        const QStringView letters = Mailbox::flags(fileName);
        if (letters.isEmpty())
            return {};
        for (const QString& known : m_known) {
            if (known == letters)
                return known;
        }
        QString text = letters.toString();
        if (m_known.size() < kKept)
            m_known.push_back(text);
        return text;
    }

private:
    static constexpr size_t kKept = 32;
    std::vector<QString> m_known;
};

}  // namespace

MailboxLookup Mailbox::lookup()
{
    using Source = MailboxLookup::Source;
    // An empty MAILDIR counts as unset, as the shells' own mail checks take it.
    if (!qEnvironmentVariableIsEmpty("MAILDIR")) {
        QString fromEnvironment = qEnvironmentVariable("MAILDIR");
        // Quoted in a shell's startup file, "~/Maildir" reaches us as written.
        if (fromEnvironment == QLatin1String("~") || fromEnvironment.startsWith(QLatin1String("~/")))
            fromEnvironment = QDir::homePath() + fromEnvironment.mid(1);
        const QFileInfo info(fromEnvironment);
        if (info.isDir() && isMaildir(fromEnvironment))
            return {Source::Environment, QDir::cleanPath(QFileInfo(fromEnvironment).absoluteFilePath()), {}};
        QString why;
        if (!info.exists())
            why = QStringLiteral("MAILDIR names %1, which does not exist").arg(fromEnvironment);
        else if (!info.isDir())
            why = QStringLiteral("MAILDIR names %1, which is a file, not a Maildir").arg(fromEnvironment);
        else
            why = QStringLiteral("MAILDIR names %1, which is no Maildir (it has no cur/ or new/ folder)")
                      .arg(fromEnvironment);
        return {Source::None, {}, why};
    }
    const QString home = QDir::homePath() + QStringLiteral("/Maildir");
    if (QFileInfo(home).isDir())
        return {Source::Home, home, {}};
    if (const auto resources = platform::desktop::resourcesDirectory()) {
        const QString sample = *resources + QStringLiteral("/SampleMaildir");
        if (QFileInfo(sample).isDir())
            return {Source::Sample, sample, {}};
    }
    return {};
}

Mailbox Mailbox::locate()
{
    return Mailbox(lookup().root);
}

Mailbox::Mailbox(QString root) : m_root(std::move(root)) {}

bool Mailbox::exists() const
{
    return !m_root.isEmpty() && QFileInfo(m_root).isDir();
}

QStringView Mailbox::flags(const QString& fileName)
{
    const qsizetype info = fileName.indexOf(QLatin1String(":2,"));
    return info < 0 ? QStringView() : QStringView(fileName).mid(info + 3);
}

QString Mailbox::uniqueName(const QString& fileName)
{
    const qsizetype colon = fileName.indexOf(QLatin1Char(':'));
    return colon < 0 ? fileName : fileName.left(colon);
}

QStringList Mailbox::folders() const
{
    if (!exists())
        return {};
    QStringList result{QString::fromLatin1(kInbox)};
    QStringList subfolders;
    const QStringList entries = QDir(m_root).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.size() > 1 && entry.startsWith(QLatin1Char('.')) && isMaildir(m_root + QLatin1Char('/') + entry))
            subfolders.append(entry.mid(1));
    }
    subfolders.sort(Qt::CaseInsensitive);
    return result + subfolders;
}

std::optional<QString> Mailbox::folderNamed(const QString& name) const
{
    const QStringList known = folders();
    for (const QString& folder : known) {
        if (folder.compare(name, Qt::CaseInsensitive) == 0)
            return folder;
    }
    return std::nullopt;
}

QString Mailbox::folderPath(const QString& folder) const
{
    if (folder == QLatin1String(kInbox))
        return m_root;
    return m_root + QStringLiteral("/.") + folder;
}

QVector<MessageLocation> Mailbox::unsortedMessages(const QString& folder) const
{
    QVector<MessageLocation> result;
    if (!exists() || folder.contains(QLatin1Char('/')))
        return result;
    const QString base = folderPath(folder);
    SharedFlags sharedFlags;
    for (const char* sub : {"cur", "new"}) {
        const QString directory = base + QLatin1Char('/') + QLatin1String(sub);
        forEachMessageFile(directory, [](const QByteArray&) { return true; }, [&](const QByteArray& raw) {
            const QString file = fileName(raw);
            result.append({folder, uniqueName(file), directory + QLatin1Char('/') + file, sharedFlags(file)});
        });
    }
    return result;
}

QVector<MessageLocation> Mailbox::messages(const QString& folder) const
{
    QVector<MessageLocation> result = unsortedMessages(folder);
    // The delivery time is taken from each name once, not at every comparison.
    std::vector<std::pair<qint64, qsizetype>> order;
    order.reserve(static_cast<size_t>(result.size()));
    for (qsizetype i = 0; i < result.size(); ++i)
        order.emplace_back(deliverySeconds(result.at(i).uniqueName), i);
    std::sort(order.begin(), order.end(), [&result](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : result.at(a.second).uniqueName < result.at(b.second).uniqueName;
    });
    QVector<MessageLocation> sorted;
    sorted.reserve(result.size());
    for (const auto& [seconds, at] : order)
        sorted.append(std::move(result[at]));
    return sorted;
}

QHash<QString, MessageLocation> Mailbox::index() const
{
    QHash<QString, MessageLocation> result;
    const QStringList all = folders();
    for (const QString& folder : all) {
        const QVector<MessageLocation> found = unsortedMessages(folder);
        result.reserve(result.size() + found.size());
        for (const MessageLocation& location : found) {
            if (!result.contains(location.uniqueName))
                result.insert(location.uniqueName, location);
        }
    }
    return result;
}

QVector<MessageLocation> Mailbox::find(const QStringList& uniqueNames) const
{
    std::vector<std::optional<MessageLocation>> each = findEach(uniqueNames);
    QVector<MessageLocation> result;
    result.reserve(uniqueNames.size());
    for (auto& found : each) {
        if (found)
            result.append(std::move(*found));
    }
    return result;
}

void Mailbox::scanFor(const Names& names, std::vector<qsizetype>& slotOfName, std::vector<qsizetype>& nameOfSlot,
                      const FoundFile& found) const
{
    // Each distinct name gets a slot; the directories' names are looked up as
    // their bytes, so the mailbox's other messages cost no allocation.
    NameTable table(names.count, names.bytes, names.base);
    slotOfName.reserve(static_cast<size_t>(names.count));
    for (qsizetype i = 0; i < names.count; ++i) {
        qsizetype slot = -1;
        if (names.base) {
            const std::string_view name = names.view(i);
            slot = table.addRange(static_cast<size_t>(name.data() - names.base), name.size());
        } else {
            const size_t start = table.bytes().size();
            names.write(i, table.bytes());
            slot = table.addLast(start);
        }
        if (slot == static_cast<qsizetype>(nameOfSlot.size()))
            nameOfSlot.push_back(i);
        slotOfName.push_back(slot);
    }
    std::vector<bool> located(static_cast<size_t>(table.size()));
    qsizetype missing = table.size();
    const QStringList all = missing > 0 && exists() ? folders() : QStringList();
    for (const QString& folder : all) {
        if (folder.contains(QLatin1Char('/')))
            continue;
        const QString base = folderPath(folder);
        for (const char* sub : {"cur", "new"}) {
            const QString directory = base + QLatin1Char('/') + QLatin1String(sub);
            const QString prefix = directory + QLatin1Char('/');
            qsizetype slot = -1;
            forEachMessageFile(
                directory,
                [&](const QByteArray& raw) {
                    const QByteArray key = uniqueKey(raw);
                    slot = table.find(std::string_view(key.constData(), static_cast<size_t>(key.size())));
                    return slot >= 0 && !located[static_cast<size_t>(slot)];
                },
                [&](const QByteArray& raw) {
                    located[static_cast<size_t>(slot)] = true;
                    --missing;
                    found(slot, folder, prefix, raw);
                });
            // Earlier folders, and cur/ before new/, win: once every name is
            // found nothing later can change the answer.
            if (missing == 0)
                break;
        }
        if (missing == 0)
            break;
    }
}

std::vector<std::optional<MessageLocation>> Mailbox::findEach(const QStringList& uniqueNames) const
{
    std::vector<qsizetype> slotOfName;
    std::vector<qsizetype> nameOfSlot;  // the first of the names that share a slot
    std::vector<std::optional<MessageLocation>> located;
    SharedFlags sharedFlags;
    qsizetype length = 0;
    for (const QString& name : uniqueNames)
        length += name.size();
    Names names{uniqueNames.size(), length, nullptr, {}, {}};
    names.write = [&uniqueNames](qsizetype i, std::string& bytes) { appendEncoded(bytes, uniqueNames.at(i)); };
    scanFor(names, slotOfName, nameOfSlot,
            [&](qsizetype slot, const QString& folder, const QString& prefix, const QByteArray& raw) {
                located.resize(nameOfSlot.size());
                const QString& name = uniqueNames.at(nameOfSlot[static_cast<size_t>(slot)]);
                QString path;
                path.reserve(prefix.size() + raw.size());
                path.append(prefix);
                if (isAscii(raw.constData(), raw.size()))
                    path.append(QLatin1String(raw.constData(), raw.size()));  // no decoded copy on the way
                else
                    path.append(QFile::decodeName(raw));
                const QString file =
                    QString::fromRawData(path.constData() + prefix.size(), path.size() - prefix.size());
                QString letters = sharedFlags(file);
                located[static_cast<size_t>(slot)] = MessageLocation{folder, name, std::move(path), std::move(letters)};
            });
    located.resize(nameOfSlot.size());
    std::vector<std::optional<MessageLocation>> result;
    result.reserve(static_cast<size_t>(uniqueNames.size()));
    for (const qsizetype at : slotOfName)
        result.push_back(located[static_cast<size_t>(at)]);
    return result;
}

LocationTable Mailbox::locate(const SelectedMessages& selected) const
{
    std::vector<qsizetype> slotOfName;
    std::vector<qsizetype> nameOfSlot;
    LocationTable bySlot;
    // The names' length, with room for ":2," and a few flags each; and whether
    // they are all ASCII, spelt as the file system spells them: then the table
    // looks them up where the selection holds them, with no copy.
    qsizetype length = 0;
    bool ascii = true;
    for (qsizetype i = 0; i < selected.size(); ++i) {
        const std::string_view name = selected.uniqueNameBytes(i);
        length += qsizetype(name.size()) + 6;
        ascii = ascii && isAscii(name.data(), qsizetype(name.size()));
    }
    Names names{selected.size(), length, nullptr, {}, {}};
    if (ascii && selected.size() > 0) {
        names.base = selected.bytes().data();
        names.view = [&selected](qsizetype i) { return selected.uniqueNameBytes(i); };
    } else {
        names.write = [&selected](qsizetype i, std::string& bytes) {
            const std::string_view name = selected.uniqueNameBytes(i);
            if (isAscii(name.data(), qsizetype(name.size())))
                bytes.append(name);
            else
                appendEncoded(bytes, selected.uniqueName(i));
        };
    }
    scanFor(names, slotOfName, nameOfSlot,
            [&](qsizetype slot, const QString& folder, const QString& prefix, const QByteArray& raw) {
                if (bySlot.size() == 0)
                    bySlot = LocationTable::empty(static_cast<qsizetype>(nameOfSlot.size()), length);
                // An ASCII file name matched an ASCII unique name byte for byte.
                const qsizetype first = nameOfSlot[static_cast<size_t>(slot)];
                const std::string_view name = selected.uniqueNameBytes(first);
                if (isAscii(name.data(), qsizetype(name.size())) && bySlot.putPlainFile(slot, folder, prefix, raw))
                    return;
                const QString file = fileName(raw);
                bySlot.put(slot, {folder, selected.uniqueName(first), prefix + file, flags(file).toString()});
            });
    if (bySlot.size() == 0)
        bySlot = LocationTable::empty(static_cast<qsizetype>(nameOfSlot.size()));
    return bySlot.picked(slotOfName);
}

std::optional<MessageLocation> Mailbox::at(const QString& relative) const
{
    // "cur/NAME" is INBOX, ".Folder/new/NAME" the folder "Folder"; nothing above the root.
    const QStringList parts = relative.split(QLatin1Char('/'));
    const bool inbox = parts.size() == 2;
    if ((!inbox && !(parts.size() == 3 && parts.first().size() > 1 && parts.first().startsWith(QLatin1Char('.'))))
        || parts.contains(QStringLiteral("..")) || (parts.at(parts.size() - 2) != QLatin1String("cur")
                                                    && parts.at(parts.size() - 2) != QLatin1String("new")))
        return std::nullopt;
    const QString path = m_root + QLatin1Char('/') + relative;
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    const QString file = parts.last();
    return MessageLocation{inbox ? QString::fromLatin1(kInbox) : parts.first().mid(1), uniqueName(file), path,
                           flags(file).toString()};
}

QString Mailbox::relative(const MessageLocation& location) const
{
    const QString prefix = m_root + QLatin1Char('/');
    return location.path.startsWith(prefix) ? location.path.mid(prefix.size()) : QString();
}

}  // namespace platform::mail

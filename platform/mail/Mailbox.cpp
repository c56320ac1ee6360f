#include "platform/mail/Mailbox.h"

#include "platform/desktop/Bundle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
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

// Calls take(name) for each file of a cur/ or new/ folder whose name does not
// start with a dot: regular files and links to them, as the directory lists them
// (no order, and no stat for file systems that tell the kind in the entry).
template <class Take>
void forEachMessageFile(const QString& directory, Take take)
{
    DIR* dir = ::opendir(QFile::encodeName(directory).constData());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        bool file = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info {};
            const QByteArray path = QFile::encodeName(directory) + '/' + entry->d_name;
            file = ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode);
        }
        if (file)
            take(QFile::decodeName(entry->d_name));
    }
    ::closedir(dir);
}

}  // namespace

MailboxLookup Mailbox::lookup()
{
    using Source = MailboxLookup::Source;
    // An empty MAILDIR counts as unset, as the shells' own mail checks take it.
    if (!qEnvironmentVariableIsEmpty("MAILDIR")) {
        const QString fromEnvironment = qEnvironmentVariable("MAILDIR");
        const QFileInfo info(fromEnvironment);
        if (info.isDir() && isMaildir(fromEnvironment))
            return {Source::Environment, QDir::cleanPath(fromEnvironment), {}};
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

QString Mailbox::uniqueName(const QString& fileName)
{
    const qsizetype colon = fileName.indexOf(QLatin1Char(':'));
    return colon < 0 ? fileName : fileName.left(colon);
}

QString Mailbox::flags(const QString& fileName)
{
    const qsizetype info = fileName.indexOf(QStringLiteral(":2,"));
    return info < 0 ? QString() : fileName.mid(info + 3);
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

QList<MessageLocation> Mailbox::unsortedMessages(const QString& folder) const
{
    QList<MessageLocation> result;
    if (!exists() || folder.contains(QLatin1Char('/')))
        return result;
    const QString base = folderPath(folder);
    for (const char* sub : {"cur", "new"}) {
        const QString directory = base + QLatin1Char('/') + QLatin1String(sub);
        forEachMessageFile(directory, [&](const QString& file) {
            result.append({folder, uniqueName(file), directory + QLatin1Char('/') + file, flags(file)});
        });
    }
    return result;
}

QList<MessageLocation> Mailbox::messages(const QString& folder) const
{
    QList<MessageLocation> result = unsortedMessages(folder);
    // The delivery time is taken from each name once, not at every comparison.
    std::vector<std::pair<qint64, qsizetype>> order;
    order.reserve(static_cast<size_t>(result.size()));
    for (qsizetype i = 0; i < result.size(); ++i)
        order.emplace_back(deliverySeconds(result.at(i).uniqueName), i);
    std::sort(order.begin(), order.end(), [&result](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : result.at(a.second).uniqueName < result.at(b.second).uniqueName;
    });
    QList<MessageLocation> sorted;
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
        const QList<MessageLocation> found = unsortedMessages(folder);
        result.reserve(result.size() + found.size());
        for (const MessageLocation& location : found) {
            if (!result.contains(location.uniqueName))
                result.insert(location.uniqueName, location);
        }
    }
    return result;
}

}  // namespace platform::mail

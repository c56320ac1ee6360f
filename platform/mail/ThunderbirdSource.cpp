#include "platform/mail/ThunderbirdSource.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::mail {
namespace {

constexpr char kCopiesPrefix[] = "messages-";

// This process's fetched copies; removed with the process's static objects.
class Copies {
public:
    ~Copies() { forget(); }

    // A new file for one message; empty when it cannot be written.
    QString write(const QByteArray& bytes)
    {
        const std::lock_guard lock(m_mutex);
        if (m_folder.isEmpty() && !makeFolder())
            return {};
        const QString path = m_folder + QStringLiteral("/%1.eml").arg(++m_serial);
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                              0600);
        if (fd < 0)
            return {};
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        ::close(fd);
        return done == bytes.size() ? path : QString();
    }

    void forget()
    {
        const std::lock_guard lock(m_mutex);
        if (!m_folder.isEmpty())
            QDir(m_folder).removeRecursively();
        m_folder.clear();
    }

private:
    bool makeFolder()
    {
        const QString base = thunderbirdRuntimeFolder();
        // Copies of a process that died before it could remove them.
        QDirIterator old(base, {QString::fromLatin1(kCopiesPrefix) + QLatin1Char('*')}, QDir::Dirs);
        while (old.hasNext()) {
            old.next();
            bool ok = false;
            const qint64 pid = old.fileName().mid(qsizetype(sizeof kCopiesPrefix) - 1).toLongLong(&ok);
            if (ok && pid != ::getpid() && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
                QDir(old.filePath()).removeRecursively();
        }
        const QString folder = base + QLatin1Char('/') + QLatin1String(kCopiesPrefix) + QString::number(::getpid());
        QDir(folder).removeRecursively();
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0)
            return false;
        m_folder = folder;
        return true;
    }

    std::mutex m_mutex;
    QString m_folder;
    qint64 m_serial = 0;
};

Copies& copies()
{
    static Copies instance;
    return instance;
}

}  // namespace

void forgetFetchedMessages()
{
    copies().forget();
}

ThunderbirdSource::ThunderbirdSource(QString endpoint) : m_endpoint(std::move(endpoint)) {}

QString ThunderbirdSource::uniqueNameOf(const ThunderbirdMessage& message)
{
    // Thunderbird's own number changes from run to run; the Message-ID and the
    // folder do not. A message without a Message-ID keeps its number for this run.
    if (message.messageId.isEmpty())
        return QStringLiteral("thunderbird-%1").arg(message.id);
    const QByteArray key = (message.folder + QLatin1Char('\n') + message.messageId).toUtf8();
    return QStringLiteral("thunderbird-")
        + QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(20));
}

const std::optional<ThunderbirdSelection>& ThunderbirdSource::asked() const
{
    if (m_asked)
        return m_selection;
    m_asked = true;
    ThunderbirdLink link(m_endpoint);
    if (!link.open()) {
        m_problem = link.error() + QStringLiteral(": start Thunderbird, or select with quorvell-mail to use a Maildir");
        return m_selection;
    }
    m_selection = link.selection();
    if (!m_selection)
        m_problem = link.error();
    else if (!m_selection->mailTab)
        m_problem = QStringLiteral("Thunderbird shows no mail tab: show a folder or a message in Thunderbird, "
                                   "or select with quorvell-mail to use a Maildir");
    return m_selection;
}

QString ThunderbirdSource::problem() const
{
    (void)asked();
    return m_problem;
}

ResolvedSelection ThunderbirdSource::resolve(const QVector<SelectedMessage>&) const
{
    ResolvedSelection result;
    const std::optional<ThunderbirdSelection>& selection = asked();
    if (!m_problem.isEmpty() || !selection) {
        result.problem = m_problem;
        return result;
    }
    result.found.resize(selection->messages.size());
    ThunderbirdLink link(m_endpoint);
    QString writeError;
    const bool fetched = link.fetch(selection->messages, [&](qsizetype index, const QByteArray& bytes) {
        const ThunderbirdMessage& message = selection->messages.at(index);
        const QString path = copies().write(bytes);
        if (path.isEmpty()) {
            writeError = QStringLiteral("cannot keep a message from Thunderbird in %1").arg(thunderbirdRuntimeFolder());
            return false;
        }
        result.found[index] = {message.folder, uniqueNameOf(message), path, message.flags};
        return true;
    });
    if (!fetched) {
        result.found.clear();
        result.problem = writeError.isEmpty() ? link.error() : writeError;
    }
    return result;
}

}  // namespace platform::mail

#include "platform/preferences/DomainStore.h"

#include "platform/desktop/Log.h"
#include "platform/preferences/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform::preferences {
namespace {

// How long a synchronise waits for another process's lock before giving up (and
// keeping its changes pending). Writers hold it for one write, so this only ends
// a wait on a process that is stuck; after such a wait, later synchronises try
// the lock once without waiting until they get it again, so a stuck process
// cannot stall every read.
std::chrono::milliseconds lockTimeout{10000};
// Polled, not blocking, so the wait can end. The interval stays short: a process
// that writes in a loop releases the lock only briefly between its writes, and a
// waiter that polls slowly would miss every such moment.
constexpr auto kLockPoll = std::chrono::microseconds(200);

// A preference file is a few kilobytes; anything past this is not one, and is
// treated as damaged rather than read into memory.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

qint64 nanoseconds(const struct timespec& t)
{
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

FileIdentity identityOf(const struct stat& st)
{
    return {true, st.st_dev, st.st_ino, st.st_size, nanoseconds(st.st_mtim), nanoseconds(st.st_ctim)};
}

FileIdentity statIdentity(const QByteArray& path)
{
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return {};
    return identityOf(st);
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    [[nodiscard]] int get() const { return m_fd; }
    // Closes now and reports close's own failure (a delayed write error).
    bool close()
    {
        const int fd = std::exchange(m_fd, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        left -= size_t(n);
    }
    return true;
}

// Waits for the exclusive lock on the lock file; the lock ends with the descriptor.
bool lockExclusively(const FileDescriptor& fd, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kLockPoll);
    }
}

// Temporary files are named ".<file>.XXXXXX" beside the file. Only a lock holder
// makes one, so any found while holding the lock was left by a killed writer.
void removeStaleTemporaries(const QString& path)
{
    const QFileInfo info(path);
    QDir dir = info.dir();
    const QStringList stale = dir.entryList({QLatin1Char('.') + info.fileName() + QStringLiteral(".??????")},
                                            QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : stale)
        ::unlink(encoded(dir.filePath(name)).constData());
}

bool writeAtomically(const QString& path, const QByteArray& bytes, QString& error)
{
    const QFileInfo info(path);
    QByteArray tmpl = encoded(info.dir().filePath(QLatin1Char('.') + info.fileName() + QStringLiteral(".XXXXXX")));
    FileDescriptor fd(::mkostemp(tmpl.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        error = systemError(errno);
        return false;
    }
    const bool written = ::fchmod(fd.get(), 0600) == 0 && writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0
        && fd.close();
    if (!written || ::rename(tmpl.constData(), encoded(path).constData()) != 0) {
        error = systemError(errno);
        ::unlink(tmpl.constData());
        return false;
    }
    // The rename itself is durable only once the folder is.
    FileDescriptor dir(::open(encoded(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    return true;
}

// Keeps a damaged file beside itself under a name no other backup has.
bool keepBackup(const QString& path)
{
    const QByteArray source = encoded(path);
    for (int n = 0; n < 1000; ++n) {
        const QString backup = path + QStringLiteral(".corrupt") + (n ? QStringLiteral(".%1").arg(n) : QString());
        if (QFileInfo::exists(backup))
            continue;
        if (::link(source.constData(), encoded(backup).constData()) == 0
            || (errno != EEXIST && QFile::copy(path, backup))) {
            platform::desktop::log(QStringLiteral("Kept the damaged preference file as %1").arg(backup));
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    platform::desktop::log(
        QStringLiteral("Could not keep a backup of the damaged preference file %1; not replacing it").arg(path));
    return false;
}

}  // namespace

void DomainStore::setLockTimeout(std::chrono::milliseconds timeout)
{
    lockTimeout = timeout;
}

DomainStore::DomainStore(QString filePath) : m_path(std::move(filePath)), m_encodedPath(encoded(m_path)) {}

std::optional<QVariant> DomainStore::value(const QString& key)
{
    if (const auto pending = m_pending.constFind(key); pending != m_pending.cend())
        return *pending;
    loadOnce();
    if (const auto stored = m_file.constFind(key); stored != m_file.cend())
        return *stored;
    return std::nullopt;
}

QVariantMap DomainStore::values()
{
    loadOnce();
    QVariantMap merged = m_file;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        if (*it)
            merged.insert(it.key(), **it);
        else
            merged.remove(it.key());
    }
    return merged;
}

void DomainStore::set(const QString& key, std::optional<QVariant> value)
{
    m_pending.insert(key, std::move(value));
}

bool DomainStore::synchronize()
{
    if (m_pending.isEmpty()) {
        if (!m_identity || statIdentity(m_encodedPath) != *m_identity)
            readFile();
        return true;
    }
    return writeMerged();
}

void DomainStore::loadOnce()
{
    if (!m_identity)
        readFile();
}

void DomainStore::readFile()
{
    m_file.clear();
    m_fileDamaged = false;
    FileDescriptor fd(::open(m_encodedPath.constData(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        const int error = errno;
        m_identity = statIdentity(m_encodedPath);
        if (error != ENOENT && error != ENOTDIR)
            reportDamage(QStringLiteral("Cannot read the preference file %1 (%2); its values read as unset")
                             .arg(m_path, systemError(error)));
        return;
    }
    struct stat st {};
    ::fstat(fd.get(), &st);
    m_identity = identityOf(st);

    QFile file;
    QString problem;
    if (S_ISREG(st.st_mode) && st.st_size > kMaxFileSize) {
        problem = QStringLiteral("larger than %1 bytes").arg(kMaxFileSize);
    } else if (S_ISREG(st.st_mode) && file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            problem = file.errorString();
        } else {
            PropertyListResult parsed = parsePropertyList(bytes);
            if (parsed.dictionary)
                m_file = std::move(*parsed.dictionary);
            else
                problem = QStringLiteral("line %1, column %2: %3")
                              .arg(parsed.line)
                              .arg(parsed.column)
                              .arg(parsed.error);
        }
    } else {
        problem = QStringLiteral("not a regular file");
    }
    if (!problem.isEmpty())
        reportDamage(
            QStringLiteral("The preference file %1 is damaged (%2); its values read as unset").arg(m_path, problem));
}

void DomainStore::reportDamage(const QString& message)
{
    m_fileDamaged = true;
    if (m_reportedDamage == m_identity)
        return;
    m_reportedDamage = m_identity;
    platform::desktop::log(message);
}

bool DomainStore::writeMerged()
{
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath())) {
        platform::desktop::log(QStringLiteral("Cannot create the preference folder %1").arg(info.absolutePath()));
        return false;
    }
    FileDescriptor lock(::open(encoded(m_path + QStringLiteral(".lock")).constData(),
                               O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.get() < 0 || !lockExclusively(lock, m_lockStuck ? std::chrono::milliseconds(0) : lockTimeout)) {
        if (!m_lockStuck)
            platform::desktop::log(
                QStringLiteral("Cannot lock the preference file %1; changes stay pending").arg(m_path));
        m_lockStuck = true;
        // Still take in what is on disk, as a synchronise without changes would.
        if (!m_identity || statIdentity(m_encodedPath) != *m_identity)
            readFile();
        return false;
    }
    m_lockStuck = false;
    // Read afresh under the lock whatever the file's identity says: a timestamp's
    // granularity is coarse enough that a quick rewrite could look unchanged, and
    // merging over a stale view would drop the other process's changes.
    readFile();

    const QVariantMap merged = values();
    if (!m_fileDamaged && sameDictionary(merged, m_file)) {
        m_pending.clear();
        return true;
    }
    // A file kept elsewhere behind a symbolic link is replaced where it lives, so
    // the link survives.
    const QString target = info.isSymLink() ? info.symLinkTarget() : m_path;
    if (m_fileDamaged && m_identity->exists && !keepBackup(target))
        return false;
    removeStaleTemporaries(target);
    QString error;
    if (!writeAtomically(target, serializePropertyList(merged), error)) {
        platform::desktop::log(QStringLiteral("Cannot write the preference file %1 (%2)").arg(m_path, error));
        return false;
    }
    m_file = merged;
    m_fileDamaged = false;
    m_identity = statIdentity(m_encodedPath);
    m_pending.clear();
    return true;
}

}  // namespace platform::preferences

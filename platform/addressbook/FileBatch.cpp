#include "platform/addressbook/FileBatch.h"

#include "platform/desktop/Log.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::addressbook {
namespace {

constexpr int kFsyncEachUpTo = 8;
const QString kTemporaryPattern = QStringLiteral(".quorvell-XXXXXX.tmp");

bool syncPath(const QByteArray& path, bool wholeFileSystem)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = (wholeFileSystem ? ::syncfs(fd) : ::fsync(fd)) == 0;
    ::close(fd);
    return ok;
}

void logFailure(const QByteArray& fileName, const QString& what)
{
    platform::desktop::log(
        QStringLiteral("Could not write \"%1\" in the address book: %2").arg(QFile::decodeName(fileName), what));
}

}  // namespace

FileBatch::FileBatch(const QString& folder) : m_folder(QFile::encodeName(folder)) {}

FileBatch::~FileBatch()
{
    for (const Pending& pending : m_pending)
        ::unlink(pending.temporaryPath.constData());
}

bool FileBatch::add(const QByteArray& fileName, const QByteArray& bytes, const std::optional<FileIdentity>& replacing)
{
    QTemporaryFile file(QDir(QFile::decodeName(m_folder)).filePath(kTemporaryPattern));
    file.setAutoRemove(false);
    if (!file.open()) {
        logFailure(fileName, file.errorString());
        return false;
    }
    const QByteArray temporaryPath = QFile::encodeName(file.fileName());
    struct stat existing {};
    struct stat written {};
    const bool ok = file.write(bytes) == bytes.size() && file.flush()
        && (::stat((m_folder + '/' + fileName).constData(), &existing) != 0
            || ::fchmod(file.handle(), existing.st_mode & 07777) == 0)
        && ::fstat(file.handle(), &written) == 0;
    const QString error = file.errorString();
    file.close();
    if (!ok) {
        logFailure(fileName, error);
        ::unlink(temporaryPath.constData());
        return false;
    }
    // A rename keeps the inode and the modification time: this is the identity the
    // file has once in place.
    const FileIdentity identity{written.st_dev, written.st_ino, written.st_size,
                                static_cast<long long>(written.st_mtim.tv_sec) * 1000000000LL
                                    + written.st_mtim.tv_nsec};
    m_pending.push_back({fileName, temporaryPath, replacing, identity});
    return true;
}

std::vector<FileBatch::Written> FileBatch::commit()
{
    std::vector<Written> committed;
    if (m_pending.empty())
        return committed;
    bool durable = true;
    if (int(m_pending.size()) > kFsyncEachUpTo) {
        durable = syncPath(m_folder, true);
    } else {
        for (const Pending& pending : m_pending)
            durable = syncPath(pending.temporaryPath, false) && durable;
    }
    const int folderFd = ::open(m_folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const Pending& pending : m_pending) {
        if (!durable || folderFd < 0) {
            logFailure(pending.fileName, QString::fromLocal8Bit(std::strerror(durable ? errno : EIO)));
            ::unlink(pending.temporaryPath.constData());
            continue;
        }
        // Nothing may stand between this check and the rename.
        const std::optional<FileIdentity> current = identityAt(folderFd, pending.fileName);
        if (current != pending.replacing) {
            platform::desktop::log(
                QStringLiteral("Leaving \"%1\" in the address book as another program left it: it %2 since it was read")
                    .arg(QFile::decodeName(pending.fileName),
                         current ? QStringLiteral("changed") : QStringLiteral("was removed")));
            ::unlink(pending.temporaryPath.constData());
            continue;
        }
        if (::renameat(AT_FDCWD, pending.temporaryPath.constData(), folderFd, pending.fileName.constData()) == 0) {
            committed.push_back({pending.fileName, pending.identity});
        } else {
            logFailure(pending.fileName, QString::fromLocal8Bit(std::strerror(errno)));
            ::unlink(pending.temporaryPath.constData());
        }
    }
    m_pending.clear();
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return committed;
}

void FileBatch::removeLeftovers(const QString& folder)
{
    const QDir dir(folder);
    const QStringList leftovers =
        dir.entryList({QStringLiteral(".quorvell-*.tmp")}, QDir::Files | QDir::Hidden | QDir::CaseSensitive);
    for (const QString& name : leftovers)
        QFile::remove(dir.filePath(name));
}

}  // namespace platform::addressbook

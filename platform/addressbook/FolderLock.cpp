#include "platform/addressbook/FolderLock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace platform::addressbook {

std::unique_ptr<FolderLock> FolderLock::acquire(const QString& folder, std::chrono::milliseconds timeout)
{
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".quorvell.lock")));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    // Polling rather than a blocking flock: a holder that hangs must not hang us.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return std::unique_ptr<FolderLock>(new FolderLock(fd));
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

FolderLock::~FolderLock()
{
    ::close(m_fd);  // closing the descriptor releases the flock
}

}  // namespace platform::addressbook

#include "platform/addressbook/CardFiles.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::addressbook {
namespace {

FileIdentity identityOf(const struct stat& info)
{
    return {info.st_dev, info.st_ino, info.st_size,
            static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
}

// The rest of a regular file, which may grow while it is read, up to the limit.
CardFileStatus readAll(int fd, off_t expectedSize, QByteArray& bytes)
{
    QByteArray buffer(int(expectedSize), Qt::Uninitialized);
    int filled = 0;
    for (;;) {
        if (filled == buffer.size()) {
            if (buffer.size() > kLargestCardFile)
                return CardFileStatus::TooLarge;
            buffer.resize(buffer.size() + 4096);
        }
        const ssize_t n = ::read(fd, buffer.data() + filled, size_t(buffer.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return CardFileStatus::Unreadable;
        if (n == 0)
            break;
        filled += int(n);
    }
    buffer.truncate(filled);
    bytes = std::move(buffer);
    return CardFileStatus::Read;
}

}  // namespace

// readdir rather than QDir: with ten thousand cards the Qt listing's extra stat() per
// file doubles the time an import spends reading the folder.
std::optional<std::vector<QByteArray>> listCardFiles(int folderFd)
{
    DIR* dir = ::fdopendir(::dup(folderFd));
    if (!dir)
        return std::nullopt;
    std::vector<QByteArray> names;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!name.startsWith('.') && name.endsWith(".vcf"))
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

CardFile readCardFile(int folderFd, const QByteArray& name)
{
    CardFile file;
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    int fd = ::openat(folderFd, name.constData(), kFlags | O_NOFOLLOW);
    if (fd < 0 && errno == ELOOP) {
        file.linked = true;
        fd = ::openat(folderFd, name.constData(), kFlags);
        if (fd < 0 && (errno == ENOENT || errno == ELOOP)) {
            file.status = CardFileStatus::Dangling;
            return file;
        }
    }
    if (fd < 0) {
        // A socket cannot be opened at all.
        file.status = errno == ENXIO ? CardFileStatus::NotRegular : CardFileStatus::Unreadable;
        file.error = errno;
        return file;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        file.error = errno;
    } else if (!S_ISREG(info.st_mode)) {
        file.status = CardFileStatus::NotRegular;
    } else if (info.st_size > kLargestCardFile) {
        file.status = CardFileStatus::TooLarge;
    } else {
        file.status = readAll(fd, info.st_size, file.bytes);
        file.error = errno;
        file.identity = identityOf(info);
        file.linked = file.linked || info.st_nlink > 1;
    }
    ::close(fd);
    return file;
}

std::optional<FileIdentity> identityAt(int folderFd, const QByteArray& name)
{
    struct stat info {};
    if (::fstatat(folderFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    if (!S_ISREG(info.st_mode))
        return FileIdentity{info.st_dev, info.st_ino, -1, -1};
    return identityOf(info);
}

}  // namespace platform::addressbook

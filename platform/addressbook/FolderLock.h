#pragma once
// An exclusive lock on an address book folder, held by one open book at a time in
// any process. It is an flock(2) on the hidden file ".quorvell.lock" inside the
// folder: the kernel drops it when its holder exits or is killed, so a crashed import
// never leaves the folder locked. Address book tools read "*.vcf" only and never see
// the file.

#include <QString>

#include <chrono>
#include <memory>

namespace platform::addressbook {

class FolderLock {
public:
    // Waits up to timeout for the lock; none when it cannot be had in that time or
    // the lock file cannot be opened.
    [[nodiscard]] static std::unique_ptr<FolderLock> acquire(const QString& folder,
                                                             std::chrono::milliseconds timeout);
    ~FolderLock();

    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    explicit FolderLock(int fd) : m_fd(fd) {}
    int m_fd;
};

}  // namespace platform::addressbook

#pragma once
// Reading the card files of a folder that other programs share. The folder may hold
// anything: a FIFO or a device named "*.vcf" would block a plain open for ever, a
// directory or socket of that name cannot be read, a symbolic link may lead nowhere
// or in a circle. Every entry is therefore opened without blocking and without
// following a link, and only a regular file is read. A symbolic link is opened a
// second time, following it, so that its card can still be found; the book never
// writes through it (see AddressBook.h). File names stay bytes from the listing to
// the rename: a name that is not UTF-8 must name the same file when it is written.

#include <QByteArray>

#include <optional>
#include <sys/types.h>
#include <vector>

namespace platform::addressbook {

// One version of one file: a writer that replaces or edits the file changes at least
// one of these.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedNs = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

enum class CardFileStatus {
    Read,
    NotRegular,  // a FIFO, device, socket or directory (also behind a link)
    Dangling,    // a symbolic link that leads nowhere or in a circle
    TooLarge,    // more than kLargestCardFile bytes
    Unreadable,
};

inline constexpr off_t kLargestCardFile = 64 * 1024 * 1024;

struct CardFile {
    CardFileStatus status = CardFileStatus::Unreadable;
    QByteArray bytes;
    FileIdentity identity;
    // A symbolic link, or a file with further hard links: replacing it by a new file
    // would cut the link, so it is read but never written.
    bool linked = false;
    int error = 0;  // errno, for Unreadable
};

// The folder's "*.vcf" names (hidden files aside) in byte order; none when the
// folder cannot be listed.
[[nodiscard]] std::optional<std::vector<QByteArray>> listCardFiles(int folderFd);

[[nodiscard]] CardFile readCardFile(int folderFd, const QByteArray& name);

// The identity of the name's file now, without following a link; none when the name
// is absent. A name that is not a regular file gets an identity that matches none.
[[nodiscard]] std::optional<FileIdentity> identityAt(int folderFd, const QByteArray& name);

}  // namespace platform::addressbook

#pragma once
// One preference domain's file and this process's view of it.
//
// The view is the file's contents as last read, with this process's pending
// changes laid over them. The file is read at the first use of the domain and
// after that only by synchronize():
//  - nothing pending and the file's identity (device, inode, size, modification
//    and change time to the nanosecond) unchanged: one stat, nothing read;
//  - nothing pending and the file changed: read and parse it without a lock (every
//    writer replaces the file by rename, so a reader sees one whole version);
//  - something pending: under an exclusive flock on "<file>.lock", read the file
//    afresh, apply the pending changes, and if that changes anything write a
//    temporary file in the same folder, fsync it, rename it over the file and
//    fsync the folder. A kill at any moment leaves the old or the new file whole;
//    temporaries of killed writers go at the next write. The lock is waited for
//    at most 10 seconds; then the synchronise fails, the changes stay pending,
//    and until the lock is had again later synchronises do not wait for it.
// A missing file is an empty domain. A file that cannot be read or parsed reads as
// empty and is logged once; before a write replaces it, it is kept beside as
// "<file>.corrupt" (".corrupt.1", ".corrupt.2", ... when that exists). If no backup
// can be made the write is refused and the changes stay pending.

#include <QString>
#include <QVariant>

#include <chrono>
#include <optional>
#include <sys/types.h>

namespace platform::preferences {

struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    qint64 modified = 0;  // nanoseconds
    qint64 changed = 0;   // nanoseconds

    bool operator==(const FileIdentity&) const = default;
};

class DomainStore {
public:
    explicit DomainStore(QString filePath);

    // This process's view: pending changes over the file's contents.
    [[nodiscard]] std::optional<QVariant> value(const QString& key);
    [[nodiscard]] QVariantMap values();

    // none removes the key. The value must be normalised (PropertyList.h).
    void set(const QString& key, std::optional<QVariant> value);

    // False when pending changes could not be written; they stay pending.
    bool synchronize();

    [[nodiscard]] const QString& filePath() const { return m_path; }

    // For tests: how long a synchronise waits for the lock (10 seconds).
    static void setLockTimeout(std::chrono::milliseconds timeout);

private:
    void loadOnce();
    void readFile();
    void reportDamage(const QString& message);  // logs once per damaged version
    [[nodiscard]] bool writeMerged();

    QString m_path;
    QByteArray m_encodedPath;  // m_path for system calls, made once
    QVariantMap m_file;                                   // contents as last read
    std::optional<FileIdentity> m_identity;               // none until first read
    bool m_fileDamaged = false;                           // exists but unreadable or corrupt
    std::optional<FileIdentity> m_reportedDamage;         // the damaged version last logged
    bool m_lockStuck = false;                             // the last wait for the lock timed out
    QMap<QString, std::optional<QVariant>> m_pending;     // none: removal
};

}  // namespace platform::preferences

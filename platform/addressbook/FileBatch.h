#pragma once
// Writes a batch of files into one folder the way the vdir convention asks: each
// file goes to a hidden temporary file in the same folder first and is renamed into
// place, so a reader or a crash never sees half a file. Before the renames the data
// is made durable, so that a power cut does not leave empty cards either.
//
// Why a batch: one fsync per card costs a journal commit each (about 6 ms on this
// kind of machine, 6 s for a thousand cards). A large batch is flushed with one
// syncfs(2) of the folder's file system instead; a small one with one fsync per file.
//
// Other programs (a sync tool, khard) write the folder without asking for its lock.
// Every file therefore names the version it replaces, or that it replaces none, and
// that is checked immediately before its rename, after every flush: a file another
// program changed, removed or created in the meantime is left as that program left it.
//
// Temporary files are named ".quorvell-XXXXXX.tmp": address book tools read "*.vcf"
// only, and the owner of the folder's lock may remove leftovers of a killed writer.
// File names are bytes, as the folder holds them.

#include "platform/addressbook/CardFiles.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace platform::addressbook {

class FileBatch {
public:
    explicit FileBatch(const QString& folder);
    // Removes the temporary files of a batch that was not committed.
    ~FileBatch();
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;

    // Writes bytes to a temporary file for fileName (a name inside the folder), which
    // is to replace the version `replacing` of that file, or to be new when none. A
    // file replacing an existing one keeps that one's permissions. False, logged, when
    // the temporary file cannot be written; the batch goes on without it.
    bool add(const QByteArray& fileName, const QByteArray& bytes, const std::optional<FileIdentity>& replacing);

    struct Written {
        QByteArray fileName;
        FileIdentity identity;  // of the file now in place
    };
    // Flushes the data, then renames every file into place in the order added, each
    // only when its name still holds the version it replaces (logged otherwise), and
    // flushes the folder. Returns the files now in place.
    std::vector<Written> commit();

    // Removes temporary files left in the folder by a writer that was killed. Only
    // the holder of the folder's lock may call it.
    static void removeLeftovers(const QString& folder);

private:
    struct Pending {
        QByteArray fileName;
        QByteArray temporaryPath;
        std::optional<FileIdentity> replacing;
        FileIdentity identity;
    };
    QByteArray m_folder;  // encoded path
    std::vector<Pending> m_pending;
};

}  // namespace platform::addressbook

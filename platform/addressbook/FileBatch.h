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
// Temporary files are named ".quorvell-XXXXXX.tmp": address book tools read "*.vcf"
// only, and the owner of the folder's lock may remove leftovers of a killed writer.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace platform::addressbook {

class FileBatch {
public:
    explicit FileBatch(QString folder) : m_folder(std::move(folder)) {}
    // Removes the temporary files of a batch that was not committed.
    ~FileBatch();
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;

    // Writes bytes to a temporary file for fileName (a name inside the folder). A
    // file replacing an existing one keeps that one's permissions. False when the
    // temporary file cannot be written; the batch goes on without it.
    bool add(const QString& fileName, const QByteArray& bytes);

    // Flushes the data, renames every file into place in the order added and
    // flushes the folder. Returns the file names now in place.
    QStringList commit();

    // Removes temporary files left in the folder by a writer that was killed. Only
    // the holder of the folder's lock may call it.
    static void removeLeftovers(const QString& folder);

private:
    struct Pending {
        QString fileName;
        QString temporaryPath;
    };
    QString m_folder;
    std::vector<Pending> m_pending;
};

}  // namespace platform::addressbook

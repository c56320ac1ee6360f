#include "platform/addressbook/FileBatch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::addressbook {
namespace {

constexpr int kFsyncEachUpTo = 8;
const QString kTemporaryPattern = QStringLiteral(".quorvell-XXXXXX.tmp");

bool syncPath(const QString& path, bool wholeFileSystem)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = (wholeFileSystem ? ::syncfs(fd) : ::fsync(fd)) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

FileBatch::~FileBatch()
{
    for (const Pending& pending : m_pending)
        QFile::remove(pending.temporaryPath);
}

bool FileBatch::add(const QString& fileName, const QByteArray& bytes)
{
    const QDir dir(m_folder);
    QTemporaryFile file(dir.filePath(kTemporaryPattern));
    file.setAutoRemove(false);
    if (!file.open())
        return false;
    const QString temporaryPath = file.fileName();
    struct stat existing {};
    const bool ok = file.write(bytes) == bytes.size() && file.flush()
        && (::stat(QFile::encodeName(dir.filePath(fileName)).constData(), &existing) != 0
            || ::fchmod(file.handle(), existing.st_mode & 07777) == 0);
    file.close();
    if (!ok) {
        QFile::remove(temporaryPath);
        return false;
    }
    m_pending.push_back({fileName, temporaryPath});
    return true;
}

QStringList FileBatch::commit()
{
    QStringList committed;
    if (m_pending.empty())
        return committed;
    bool durable = true;
    if (int(m_pending.size()) > kFsyncEachUpTo) {
        durable = syncPath(m_folder, true);
    } else {
        for (const Pending& pending : m_pending)
            durable = syncPath(pending.temporaryPath, false) && durable;
    }
    const QDir dir(m_folder);
    for (const Pending& pending : m_pending) {
        const bool renamed = durable
            && ::rename(QFile::encodeName(pending.temporaryPath).constData(),
                        QFile::encodeName(dir.filePath(pending.fileName)).constData())
                == 0;
        if (renamed)
            committed << pending.fileName;
        else
            QFile::remove(pending.temporaryPath);
    }
    m_pending.clear();
    syncPath(m_folder, false);
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

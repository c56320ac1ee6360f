#include "platform/mail/save/MessageSaver.h"

#include "platform/mail/save/FileNaming.h"
#include "platform/mail/save/PdfWriter.h"
#include "platform/mail/save/RtfWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform::mail {

namespace {

constexpr int kMaxAttempts = 10000;

enum class Publish { Done, Exists, Failed };

// Gives the finished temporary file its final name without ever replacing a file
// that is there: renameat2(RENAME_NOREPLACE) where the file system supports it,
// else a hard link (atomic and exclusive as well) followed by removing the
// temporary name.
Publish publish(const QByteArray& from, const QByteArray& to, QString* error)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return Publish::Done;
    int err = errno;
    if (err == EEXIST)
        return Publish::Exists;
    if (err == EINVAL || err == ENOSYS || err == ENOTSUP) {
        if (::link(from.constData(), to.constData()) == 0) {
            ::unlink(from.constData());
            return Publish::Done;
        }
        err = errno;
        if (err == EEXIST)
            return Publish::Exists;
    }
    *error = QString::fromLocal8Bit(std::strerror(err));
    return Publish::Failed;
}

QString formatExtension(SaveFormat format)
{
    return format == SaveFormat::Pdf ? QStringLiteral("pdf") : QStringLiteral("rtf");
}

QString writeContent(const MessageDocument& message, SaveFormat format, QFile& file)
{
    if (format == SaveFormat::Pdf) {
        QString error = writeMessagePdf(message, &file);
        if (!error.isEmpty())
            return error;
    } else {
        const QByteArray rtf = messageToRtf(message);
        if (file.write(rtf) != rtf.size())
            return file.errorString();
    }
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return file.errorString();
    if (::fsync(file.handle()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

}  // namespace

SaveResult saveMessageDocument(const MessageDocument& message, const QString& folder, SaveFormat format)
{
    SaveResult result;
    const QFileInfo folderInfo(folder);
    if (folder.isEmpty() || !folderInfo.isDir()) {
        result.error = QStringLiteral("no folder \"%1\"").arg(folder);
        return result;
    }
    const QDir dir(folderInfo.absoluteFilePath());

    QTemporaryFile temporary(dir.filePath(QStringLiteral(".quorvell-save-XXXXXX.tmp")));
    if (!temporary.open()) {
        result.error = QStringLiteral("cannot write into \"%1\": %2").arg(folder, temporary.errorString());
        return result;
    }
    QString error = writeContent(message, format, temporary);
    if (!error.isEmpty()) {
        result.error = error;
        return result;  // the temporary file removes itself
    }
    temporary.close();

    const QString stem = cleanForFilename(message.subject);
    const QString extension = formatExtension(format);
    const QByteArray from = QFile::encodeName(temporary.fileName());
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        const QString path = dir.filePath(numberedFileName(stem, extension, attempt));
        switch (publish(from, QFile::encodeName(path), &error)) {
        case Publish::Done:
            temporary.setAutoRemove(false);
            result.path = path;
            return result;
        case Publish::Exists: continue;
        case Publish::Failed:
            result.error = QStringLiteral("cannot save \"%1\": %2").arg(path, error);
            return result;
        }
    }
    result.error = QStringLiteral("too many files named \"%1\" in \"%2\"").arg(stem, folder);
    return result;
}

}  // namespace platform::mail

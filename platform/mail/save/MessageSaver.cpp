#include "platform/mail/save/MessageSaver.h"

#include "platform/mail/save/FileNaming.h"
#include "platform/mail/save/PdfWriter.h"
#include "platform/mail/save/RtfWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform::mail {

namespace {

constexpr int kMaxAttempts = 10000;

// The file being written, under a hidden name in the destination folder, so the
// final rename stays within one file system. Created with O_EXCL and mode 0666
// (less the umask), as any document the user saves; removed again unless kept.
class TemporaryOutput {
public:
    explicit TemporaryOutput(const QDir& dir)
    {
        for (int attempt = 0; attempt < 100 && !m_file.isOpen(); ++attempt) {
            const QString name = QStringLiteral(".quorvell-save-%1.tmp")
                                     .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
            const QByteArray path = QFile::encodeName(dir.filePath(name));
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0) {
                m_error = QString::fromLocal8Bit(std::strerror(errno));
                if (errno != EEXIST)
                    return;
                continue;
            }
            m_path = path;
            if (!m_file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
                ::close(fd);
                m_error = m_file.errorString();
                return;
            }
        }
    }
    ~TemporaryOutput()
    {
        m_file.close();
        if (!m_kept && !m_path.isEmpty())
            ::unlink(m_path.constData());
    }
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;

    [[nodiscard]] bool isOpen() const { return m_file.isOpen(); }
    [[nodiscard]] const QString& error() const { return m_error; }
    [[nodiscard]] QFile& file() { return m_file; }
    [[nodiscard]] const QByteArray& path() const { return m_path; }
    void keep() { m_kept = true; }

private:
    QFile m_file;
    QByteArray m_path;
    QString m_error;
    bool m_kept = false;
};

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
    // No fsync: a save never replaces a file, so no old content is at risk, and a
    // sync per message would make a batch wait on the disk for every file (the
    // reasoning of GLib's g_file_set_contents, which syncs only when replacing).
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return file.errorString();
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

    TemporaryOutput temporary(dir);
    if (!temporary.isOpen()) {
        result.error = QStringLiteral("cannot write into \"%1\": %2").arg(folder, temporary.error());
        return result;
    }
    QString error = writeContent(message, format, temporary.file());
    if (!error.isEmpty()) {
        result.error = error;
        return result;  // the temporary file goes with its owner
    }
    temporary.file().close();

    const QString stem = cleanForFilename(message.subject);
    const QString extension = formatExtension(format);
    const QByteArray& from = temporary.path();
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        const QString path = dir.filePath(numberedFileName(stem, extension, attempt));
        switch (publish(from, QFile::encodeName(path), &error)) {
        case Publish::Done:
            temporary.keep();
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

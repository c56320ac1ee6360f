#pragma once
// Shared by the mail tests: a temporary HOME with its own state folder, and small
// Maildirs written message by message.

#include "platform/mail/MailMessage.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

namespace mailtest {

inline QString sourceDir()
{
    return qEnvironmentVariable("QUORVELL_SOURCE_DIR");
}

inline QString corpusDir()
{
    return sourceDir() + QStringLiteral("/tests/mail/corpus");
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A temporary HOME, XDG_STATE_HOME inside it, and an empty Maildir as $MAILDIR.
class MailEnvironment {
public:
    MailEnvironment()
    {
        EXPECT_TRUE(m_home.isValid());
        qputenv("HOME", m_home.path().toUtf8());
        qputenv("XDG_STATE_HOME", (m_home.path() + QStringLiteral("/state")).toUtf8());
        qputenv("MAILDIR", maildir().toUtf8());
        for (const char* sub : {"cur", "new", "tmp"})
            QDir().mkpath(maildir() + QLatin1Char('/') + QLatin1String(sub));
    }

    [[nodiscard]] QString home() const { return m_home.path(); }
    [[nodiscard]] QString maildir() const { return m_home.path() + QStringLiteral("/Maildir"); }
    [[nodiscard]] QString stateDir() const { return m_home.path() + QStringLiteral("/state/quorvell/mail"); }

    // Writes a message file; folder "" is INBOX, otherwise a Maildir++ subfolder.
    QString addMessage(const QString& folder, const QString& fileName, const QByteArray& data,
                       const char* sub = "cur") const
    {
        const QString base = folder.isEmpty() ? maildir() : maildir() + QStringLiteral("/.") + folder;
        for (const char* part : {"cur", "new", "tmp"})
            QDir().mkpath(base + QLatin1Char('/') + QLatin1String(part));
        const QString path = base + QLatin1Char('/') + QLatin1String(sub) + QLatin1Char('/') + fileName;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        return path;
    }

private:
    QTemporaryDir m_home;
};

inline platform::mail::MailMessage messageAt(const QString& path, const QString& flags = {})
{
    const QString name = path.section(QLatin1Char('/'), -1);
    return platform::mail::MailMessage({QStringLiteral("INBOX"), name.section(QLatin1Char(':'), 0, 0), path, flags});
}

}  // namespace mailtest

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

#include "ScriptTestEnvironment.h"

#include "platform/desktop/Bundle.h"
#include "platform/desktop/Log.h"
#include "platform/desktop/Sound.h"
#include "platform/mail/MailState.h"
#include "settings/Settings.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextCodec>

#include <gtest/gtest.h>

namespace {

const char* const kVariables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "MAILDIR"};

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}  // namespace

ScriptTestEnvironment::ScriptTestEnvironment()
{
    for (const char* name : kVariables)
        m_savedVariables << (qEnvironmentVariableIsSet(name) ? qEnvironmentVariable(name) : QString());
    qputenv("HOME", m_dir.filePath(QStringLiteral("home")).toUtf8());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_STATE_HOME", m_dir.filePath(QStringLiteral("state")).toUtf8());
    qputenv("MAILDIR", m_dir.filePath(QStringLiteral("Maildir")).toUtf8());
    QDir root(m_dir.path());
    for (const char* folder : {"home", "config", "state", "Maildir/cur", "Maildir/new", "Maildir/tmp",
                               "resources/sounds"})
        root.mkpath(QString::fromLatin1(folder));

    // The real sound file, so that the lookup by name succeeds; plays are observed.
    const QString ping = qEnvironmentVariable("QUORVELL_SOURCE_DIR") + QStringLiteral("/resources/sounds/Ping.wav");
    QFile::copy(ping, m_dir.filePath(QStringLiteral("resources/sounds/Ping.wav")));
    platform::desktop::setResourcesDirectoryOverride(m_dir.filePath(QStringLiteral("resources")));
    platform::desktop::setSoundObserver([this](const QString& name) { m_sounds << name; });
    platform::desktop::setLogSink([this](const QString& line) { m_logLines << line; });
}

ScriptTestEnvironment::~ScriptTestEnvironment()
{
    platform::desktop::setSoundObserver({});
    platform::desktop::setLogSink({});
    platform::desktop::setResourcesDirectoryOverride(std::nullopt);
    for (int i = 0; i < m_savedVariables.size(); ++i) {
        if (m_savedVariables[i].isNull())
            qunsetenv(kVariables[i]);
        else
            qputenv(kVariables[i], m_savedVariables[i].toUtf8());
    }
}

bool ScriptTestEnvironment::writeScript(const QString& name, const QString& source) const
{
    QTextCodec* macRoman = QTextCodec::codecForName("Apple Roman");
    if (!macRoman || !macRoman->canEncode(source))
        return false;
    return writeFile(m_dir.filePath(QStringLiteral("resources/") + name), macRoman->fromUnicode(source));
}

void ScriptTestEnvironment::useProjectResources()
{
    platform::desktop::setResourcesDirectoryOverride(qEnvironmentVariable("QUORVELL_SOURCE_DIR")
                                                     + QStringLiteral("/resources"));
}

QString ScriptTestEnvironment::addMessage(const QString& uniqueName, const QByteArray& rfc822) const
{
    EXPECT_TRUE(writeFile(m_dir.filePath(QStringLiteral("Maildir/cur/") + uniqueName + QStringLiteral(":2,S")),
                          rfc822));
    return uniqueName;
}

void ScriptTestEnvironment::select(const QStringList& uniqueNames) const
{
    QString error;
    EXPECT_TRUE(platform::mail::MailState().writeSelection(uniqueNames, &error)) << error.toStdString();
}

void ScriptTestEnvironment::setSetting(const char* key, bool value)
{
    quorvell::storeSetting(key, value);
    quorvell::synchronizeSettings();
}

std::optional<QString> ScriptTestEnvironment::clipboardText()
{
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!mime || !mime->hasFormat(QStringLiteral("text/plain;charset=utf-8")))
        return std::nullopt;
    return QString::fromUtf8(mime->data(QStringLiteral("text/plain;charset=utf-8")));
}

void ScriptTestEnvironment::setClipboardText(const QString& text)
{
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("text/plain;charset=utf-8"), text.toUtf8());
    QGuiApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);
}

#pragma once
// One test's world for the runner and the copy commands: HOME, XDG_CONFIG_HOME,
// XDG_STATE_HOME and MAILDIR in a temporary folder (so the real preference store
// and the mail state live there), a resources folder of the test's own with a
// "Ping" sound in it, plays and log lines captured, and helpers for script
// resources (written as Mac OS Roman), Maildir messages, the selection, settings
// and the clipboard.

#include "tests/support/QtPrinters.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

class ScriptTestEnvironment {
public:
    ScriptTestEnvironment();
    ~ScriptTestEnvironment();
    ScriptTestEnvironment(const ScriptTestEnvironment&) = delete;
    ScriptTestEnvironment& operator=(const ScriptTestEnvironment&) = delete;

    [[nodiscard]] bool isValid() const { return m_dir.isValid(); }
    [[nodiscard]] QString path(const QString& relative) const { return m_dir.filePath(relative); }

    // Script resources in the test's resources folder. False when a character has
    // no Mac OS Roman form.
    [[nodiscard]] bool writeScript(const QString& name, const QString& source) const;
    // Resources come from the project's own resources folder instead.
    static void useProjectResources();

    // A message in $MAILDIR/cur; returns its unique name.
    QString addMessage(const QString& uniqueName, const QByteArray& rfc822) const;
    void select(const QStringList& uniqueNames) const;

    static void setSetting(const char* key, bool value);

    // The clipboard's UTF-8 text, or none when it holds nothing.
    [[nodiscard]] static std::optional<QString> clipboardText();
    static void setClipboardText(const QString& text);

    [[nodiscard]] const QStringList& sounds() const { return m_sounds; }
    [[nodiscard]] const QStringList& logLines() const { return m_logLines; }

private:
    QTemporaryDir m_dir;
    QStringList m_sounds;
    QStringList m_logLines;
    QStringList m_savedVariables;
};

#include "scripting/ScriptRunner.h"

#include "platform/applescript/AppleScript.h"
#include "platform/applescript/Engine.h"
#include "platform/desktop/Bundle.h"
#include "platform/desktop/Log.h"
#include "platform/desktop/Sound.h"
#include "platform/mail/MailApplication.h"
#include "platform/mail/MailState.h"
#include "platform/pasteboard/ScriptClipboard.h"
#include "scripting/Clipboard.h"
#include "scripting/CommandFeedback.h"
#include "settings/Settings.h"

#include <QFile>
#include <QFileInfo>
#include <QTextCodec>

#include <cmath>

namespace quorvell {
namespace {

// The resource named scriptName, straight inside the resources directory, read as
// Mac OS Roman (every byte decodes), or as UTF-8 when it starts with a UTF-8
// byte-order mark: those three bytes cannot begin a meaningful Mac OS Roman script. None when there is no resources directory, the
// name is not a single path component, or the file cannot be read.
std::optional<QString> readScriptResource(const QString& scriptName)
{
    const std::optional<QString> directory = platform::desktop::resourcesDirectory();
    if (!directory)
        return std::nullopt;
    if (scriptName.isEmpty() || scriptName.contains(QLatin1Char('/')) || scriptName == QLatin1String(".")
        || scriptName == QLatin1String(".."))
        return std::nullopt;
    const QString path = *directory + QLatin1Char('/') + scriptName;
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    if (!bytes.startsWith("\xEF\xBB\xBF") && !QTextCodec::codecForName("Apple Roman"))
        return std::nullopt;
    return platform::applescript::decodeScriptFile(bytes);
}

// Compiles and runs the text against the mail application. A failed run does
// nothing for the user and leaves one log line naming the resource, the line and
// the error, so a person editing a resource can see why it did nothing.
std::optional<platform::applescript::ResultDescriptor> execute(const QString& scriptName, const QString& source)
{
    platform::mail::registerMailApplication();
    platform::pasteboard::registerScriptClipboard();
    const platform::applescript::AppleScript script(source);
    platform::applescript::ErrorInfo error;
    const auto result = script.executeAndReturnError(&error);
    if (!result && error.textLength > 0) {
        // The one failure a person causes by selecting: too much to copy.
        constexpr double kMB = 1 << 20;
        tellPerson(QStringLiteral("The copy is too large"),
                   QStringLiteral("The text of %L1 messages is %L2 MB; a copy holds at most %L3 MB.")
                       .arg(platform::mail::MailState().read().messages->size())
                       .arg(std::ceil(double(error.textLength) / kMB), 0, 'f', 0)
                       .arg(double(platform::applescript::kMaxTextCharacters) / kMB, 0, 'f', 0));
    }
    if (!result) {
        platform::desktop::log(QStringLiteral("%1: %2 error at line %3: %4 (%5)")
                                   .arg(scriptName, error.compileError ? QStringLiteral("syntax")
                                                                       : QStringLiteral("execution"))
                                   .arg(error.line)
                                   .arg(error.message)
                                   .arg(error.number));
        return std::nullopt;
    }
    if (!result->hasText())
        return std::nullopt;
    return result;
}

}  // namespace

QString commaDelimitedText(const QString& text)
{
    QString joined = text;
    joined.replace(QLatin1String("\r\n"), QLatin1String(","));
    joined.replace(QLatin1Char('\r'), QLatin1Char(','));
    joined.replace(QLatin1Char('\n'), QLatin1Char(','));
    return joined;
}

std::optional<platform::applescript::ResultDescriptor> runMailScriptResult(const QString& scriptName,
                                                                           bool reverseOrder, bool copyToClipboard,
                                                                           bool commaDelimited)
{
    std::optional<QString> source = readScriptResource(scriptName);
    std::optional<platform::applescript::ResultDescriptor> result;
    if (source) {
        // The reverse-order switch is the first lower-case "false" of the text,
        // wherever it stands. A text without one runs unchanged.
        if (reverseOrder) {
            const qsizetype at = source->indexOf(QLatin1String("false"), 0, Qt::CaseSensitive);
            if (at >= 0)
                source->replace(at, 5, QStringLiteral("true"));
        }
        result = execute(scriptName, *source);
    }
    if (result && commaDelimited)
        result = platform::applescript::ResultDescriptor(commaDelimitedText(*result->stringValue()));
    if (result && copyToClipboard)
        (void)copyUtf8ToClipboard(result->utf8Value());
    // The clipboard is written before the sound starts; only a success plays.
    const bool silent = readDontMakeCompletionSound();
    if (result && !silent) {
        if (auto sound = platform::desktop::soundNamed(QStringLiteral("Ping")))
            sound->play();
    }
    return result;
}

std::optional<QString> runMailScript(const QString& scriptName, bool reverseOrder, bool copyToClipboard,
                                     bool commaDelimited)
{
    const auto result = runMailScriptResult(scriptName, reverseOrder, copyToClipboard, commaDelimited);
    return result ? result->stringValue() : std::nullopt;
}

std::optional<QString> runMailScriptReplacing(const QString& scriptName, const std::optional<QString>& target,
                                              const QString& replacement)
{
    std::optional<QString> text = readScriptResource(scriptName);
    if (!text)
        return std::nullopt;
    // An empty target matches nothing; QString::replace would otherwise put the
    // replacement between every two characters of the script.
    if (target && !target->isEmpty())
        text->replace(*target, replacement, Qt::CaseInsensitive);
    const auto result = execute(scriptName, *text);
    return result ? result->stringValue() : std::nullopt;
}

}  // namespace quorvell

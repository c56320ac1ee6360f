#include "platform/applescript/Engine.h"

#include "platform/applescript/Interpreter.h"
#include "platform/applescript/LargeText.h"
#include "platform/applescript/Lexer.h"
#include "platform/applescript/Operations.h"
#include "platform/applescript/Parser.h"
#include "platform/applescript/ScriptError.h"

#include <QTextCodec>

#include <new>

namespace platform::applescript {

namespace {

ErrorInfo toErrorInfo(const ScriptError& e)
{
    ErrorInfo info;
    info.compileError = e.compile;
    info.number = e.number;
    info.message = e.message;
    info.line = e.line;
    info.column = e.column;
    info.textLength = e.textLength;
    return info;
}

Program compile(const QString& source, const Limits& limits)
{
    return Parser(tokenize(source), limits.maxNesting).parseProgram();
}

}  // namespace

Outcome runScript(const QString& source, const Limits& limits)
{
    Outcome outcome;
    std::optional<Program> program;
    std::optional<Interpreter> interpreter;
    // The one place where the engine's errors are caught.
    try {
        program.emplace(compile(source, limits));
        interpreter.emplace(*program, limits);
        outcome.value = interpreter->run();
    } catch (const ScriptError& e) {
        outcome.error = toErrorInfo(e);
        if (!e.compile && interpreter)
            if (const Node* at = interpreter->position()) {
                outcome.error.line = at->line;
                outcome.error.column = at->column;
            }
    } catch (const std::bad_alloc&) {
        outcome.error.number = errOutOfMemory;
        outcome.error.message = QStringLiteral("Out of memory.");
    } catch (const std::exception& e) {
        // An application's dictionary failed in a way it did not report.
        outcome.error.number = errDefault;
        outcome.error.message = QString::fromLocal8Bit(e.what());
    }
    return outcome;
}

std::optional<ErrorInfo> checkSyntax(const QString& source, const Limits& limits)
{
    try {
        (void)compile(source, limits);
    } catch (const ScriptError& e) {
        return toErrorInfo(e);
    }
    return std::nullopt;
}

QString decodeScriptFile(const QByteArray& bytes, bool utf8)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (utf8)
        return QString::fromUtf8(bytes);
    QTextCodec* roman = QTextCodec::codecForName("Apple Roman");
    return roman ? roman->toUnicode(bytes) : QString::fromLatin1(bytes);
}

// --- the NSAppleScript-like entry ---

ResultDescriptor ResultDescriptor::fromUtf8(QByteArray utf8)
{
    ResultDescriptor result;
    result.m_text = std::move(utf8);
    return result;
}

std::optional<QString> ResultDescriptor::stringValue() const
{
    if (const auto* text = std::get_if<QString>(&m_text))
        return *text;
    if (const auto* utf8 = std::get_if<QByteArray>(&m_text))
        return QString::fromUtf8(utf8->constData(), static_cast<int>(utf8->size()));
    return std::nullopt;
}

std::optional<QByteArray> ResultDescriptor::utf8Value() const
{
    if (const auto* text = std::get_if<QString>(&m_text))
        return toUtf8Large(*text);
    if (const auto* utf8 = std::get_if<QByteArray>(&m_text))
        return *utf8;
    return std::nullopt;
}

AppleScript::AppleScript(QString source) : m_source(std::move(source)) { }

std::optional<ResultDescriptor> AppleScript::executeAndReturnError(ErrorInfo* error) const
{
    Outcome outcome = runScript(m_source);
    if (!outcome.value) {
        if (error)
            *error = outcome.error;
        return std::nullopt;
    }
    if (const QByteArray* utf8 = outcome.value->utf8Form())
        return ResultDescriptor::fromUtf8(*utf8);
    std::optional<QString> text = stringValue(*outcome.value);
    return text ? ResultDescriptor(std::move(*text)) : ResultDescriptor();
}

}  // namespace platform::applescript

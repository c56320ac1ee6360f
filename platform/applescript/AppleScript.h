#pragma once
// The script engine's entry point, in the manner of NSAppleScript: a script object
// made from source text, compiled and run at once by executeAndReturnError.
// (The engine's design is described in Engine.h.)

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>

namespace platform::applescript {

struct ErrorInfo {
    bool compileError = false;
    int number = 0;     // the language's error number, -2700 by default
    QString message;    // "The variable x is not defined."
    int line = 0;       // 1-based position of the offending source, 0 when unknown
    int column = 0;
    qint64 textLength = 0;  // of a text too long to be made (error -108), else 0
};

// What a run gives back: the text form of text, numbers, booleans and dates, and
// none for lists, records and missing value. A text the run kept in UTF-8 (raw
// mail) stays UTF-8 until stringValue() asks for it, so a large result need never
// be held in both forms on its way to the clipboard.
class ResultDescriptor {
public:
    ResultDescriptor() = default;  // no text
    explicit ResultDescriptor(QString text) : m_text(std::move(text)) { }
    [[nodiscard]] static ResultDescriptor fromUtf8(QByteArray utf8);

    [[nodiscard]] bool hasText() const { return m_text.index() != 0; }
    [[nodiscard]] std::optional<QString> stringValue() const;
    // The text in UTF-8; a lone surrogate of a QString becomes "?".
    [[nodiscard]] std::optional<QByteArray> utf8Value() const;

private:
    std::variant<std::monostate, QString, QByteArray> m_text;
};

class AppleScript {
public:
    explicit AppleScript(QString source);
    // Compiles and runs synchronously. None on a compile or run-time error, with
    // *error filled in when given.
    [[nodiscard]] std::optional<ResultDescriptor> executeAndReturnError(ErrorInfo* error = nullptr) const;

private:
    QString m_source;
};

}  // namespace platform::applescript

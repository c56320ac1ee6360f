#pragma once
// The one exception type of the engine (private header). The lexer, the parser
// and the interpreter throw it; Engine::run catches it once and turns it into an
// ErrorInfo. Nothing outside the engine sees it.
//
// `catchable` is false for the engine's own resource bounds (steps, time, depth,
// memory): a script's `try` block cannot swallow them, so a runaway script always
// ends.

#include <QString>

namespace platform::applescript {

// The language's error numbers that the engine raises itself.
enum ErrorNumber : int {
    errUserCanceled = -128,
    errOutOfMemory = -108,
    errNotRunning = -600,
    errCantMake = -1700,
    errNotUnderstood = -1708,
    errTimedOut = -1712,
    errInvalidIndex = -1719,
    errWrongParameters = -1721,
    errCantGet = -1728,
    errDefault = -2700,
    errDivideByZero = -2701,
    errStackOverflow = -2706,
    errSyntax = -2740,
    errExpected = -2741,
    errUndefinedVariable = -2753,
    errInvalidDate = -30720,
};

struct ScriptError {
    int number = errDefault;
    QString message;
    int line = 0;
    int column = 0;
    bool compile = false;
    bool catchable = true;
    qint64 textLength = 0;  // of the text too long to be made, when that stopped the run
    // Set when the error travels out of a `try` that rethrows it with `error m number n`.
    bool positioned() const { return line > 0; }
};

[[noreturn]] inline void throwRuntime(int number, QString message)
{
    throw ScriptError{number, std::move(message), 0, 0, false, true};
}

[[noreturn]] inline void throwBound(int number, QString message)
{
    throw ScriptError{number, std::move(message), 0, 0, false, false};
}

[[noreturn]] inline void throwCompile(int number, QString message, int line, int column)
{
    throw ScriptError{number, std::move(message), line, column, true, true};
}

// Curly quotes as the language writes them in its messages.
inline QString quoted(const QString& s)
{
    return QStringLiteral("\u201C") + s + QStringLiteral("\u201D");
}

}  // namespace platform::applescript

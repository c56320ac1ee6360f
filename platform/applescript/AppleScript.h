#pragma once
// The script engine's entry point, in the manner of NSAppleScript: a script object
// made from source text, compiled and run at once by executeAndReturnError.
// (The engine's design is described in Engine.h.)

#include <QString>

#include <optional>

namespace platform::applescript {

struct ErrorInfo {
    bool compileError = false;
    int number = 0;     // the language's error number, -2700 by default
    QString message;    // "The variable x is not defined."
    int line = 0;       // 1-based position of the offending source, 0 when unknown
    int column = 0;
};

// What a run gives back. stringValue is the text form of text, numbers, booleans
// and dates, and none for lists, records and missing value.
struct ResultDescriptor {
    std::optional<QString> stringValue;
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

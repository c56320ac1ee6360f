#pragma once
// The script engine: compile and run a text of the scripting language.
//
// Design. Source text (already Unicode) goes through the lexer (Lexer.h), a
// recursive-descent parser with one function per grammar rule and a precedence
// table for binary operators (Parser.h), into a syntax tree (Ast.h) that a
// tree-walking interpreter runs (Interpreter.h). Values (Value.h) are shared where
// the language shares them; application objects come in through the dictionary
// seam (Dictionary.h). Errors are thrown inside as one exception type and caught
// once, here, into an ErrorInfo with the language's number, message and position.
// Nothing is kept between runs: a script compiles afresh each time, so compiling
// is a single linear pass with no lookups beyond small static tables.
//
// There is no shell and no file access: the language subset has no command that
// reaches outside the engine except through a registered application.
//
// Bounds (Limits): a run stops with an error the script cannot catch after
// maxSteps statements and loop turns (default 20,000,000) or maxMilliseconds of
// wall time (default 120,000: saving a large
// selection as PDF takes tens of seconds; a loop without end meets the step bound
// within seconds), at maxCallDepth nested handler calls (default 200,
// error -2706 "Stack overflow.") or maxEvalDepth nested evaluations; source that
// nests deeper than maxNesting levels of the parser (default 300: about 100
// parentheses, 150 blocks, or a chain of 300 right-associative operators) is a
// compile error. Texts stop at 128 Mi characters, lists at 4 Mi items (error
// -108), and lists and records nest at most 64 deep (error -2706).

#include "platform/applescript/AppleScript.h"
#include "platform/applescript/Value.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform::applescript {

// The longest text a run makes, in UTF-16 code units (128 Mi: 128 MB of ASCII).
constexpr qint64 kMaxTextCharacters = qint64{1} << 27;

struct Limits {
    qint64 maxSteps = 20'000'000;
    qint64 maxMilliseconds = 120'000;
    int maxCallDepth = 200;
    int maxEvalDepth = 3000;
    int maxNesting = 300;
};

struct Outcome {
    std::optional<Value> value;  // set on success
    ErrorInfo error;             // filled on failure
};

// Compiles and runs; never throws.
[[nodiscard]] Outcome runScript(const QString& source, const Limits& limits = {});
// Compiles only; the compile error, if any.
[[nodiscard]] std::optional<ErrorInfo> checkSyntax(const QString& source, const Limits& limits = {});

// How a script file's bytes become text: UTF-8 when they start with a UTF-8
// byte-order mark (which is dropped) or when utf8 is true, else Mac OS Roman.
[[nodiscard]] QString decodeScriptFile(const QByteArray& bytes, bool utf8 = false);

}  // namespace platform::applescript

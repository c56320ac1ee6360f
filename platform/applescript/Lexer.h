#pragma once
// The lexer (private header): source text to a vector of tokens, all at once.
//
// Words come out lower-case (the language is case-insensitive), so the parser
// compares them with plain ==; `|any text|` gives a word marked `barred` that
// never counts as a keyword. Line breaks (CR, LF, CRLF) become one EndOfLine
// token each; a `¬` at the end of a line joins it to the next. Comments (`--`,
// `#`, nested `(* *)`) vanish. Strings know exactly the escapes \" \\ \t \r \n.
// Symbols are normalised: ">=" is "≥", "<=" is "≤", "÷" is "/".
// Every error is a compile error with the line and column of its first character.

#include <QString>

#include <vector>

namespace platform::applescript {

enum class TokenKind { Word, Integer, Real, String, Symbol, Possessive, EndOfLine, EndOfFile };

struct Token {
    TokenKind kind = TokenKind::EndOfFile;
    QString text;  // word (lower-case), symbol, or the string's content
    bool barred = false;
    qint64 integer = 0;
    double real = 0;
    int line = 1;
    int column = 1;
};

// Throws ScriptError (compile) on a malformed token.
[[nodiscard]] std::vector<Token> tokenize(const QString& source);

// How a token reads in a compile error: "end", "end of line", "end of script".
[[nodiscard]] QString describeToken(const Token& token);

}  // namespace platform::applescript

#pragma once
// The language's operations on values (private header): coercions, comparison,
// arithmetic, concatenation, containment, text chunks and dates. Pure functions of
// their arguments plus a TextRules; every failure throws ScriptError with the
// language's number and message.
//
// Text. Comparison and searching follow the attributes of `considering` and
// `ignoring` (TextRules): by default case is ignored and white space, hyphens,
// punctuation, diacriticals and expansion count; an ignored one is left out of
// both texts before they are compared ("a-b" equals "ab" ignoring hyphens), and
// considering numeric strings compares runs of digits by their value ("1.10"
// comes after "1.9"). Texts are
// indexed by UTF-16 unit. Paragraphs split at CR LF, CR and LF; a final line break
// ends an empty last paragraph, so paragraphs and `text items` with return as the
// delimiter agree. Words are runs of letters, digits and marks, with an apostrophe
// inside a word kept ("don't" is one word).
//
// Dates. Texts of dates follow QLocale() (the default locale, which tests pin):
// `date string` is the long date format, `short date string` the short one,
// `time string` the long time format without its time zone, and a date as text is
// "<date string> at <time string>". Month and weekday are the language's English
// constants (text such as "December"), which coerce to their numbers.
//
// Sizes. A text longer than kMaxTextLength or a list longer than kMaxListLength is
// error -108, raised as a bound a script cannot catch ("Out of memory." for a list); a text's
// message names its length and the bound, which the error also carries
// (ErrorInfo::textLength), so a program can tell a person how much was asked for.

#include "platform/applescript/Ast.h"
#include "platform/applescript/Engine.h"
#include "platform/applescript/Value.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace platform::applescript {

// Room for Copy Content over a few thousand large messages (about 128 Mi characters).
constexpr int kMaxTextLength = static_cast<int>(kMaxTextCharacters);
constexpr size_t kMaxListLength = size_t(1) << 22;
constexpr int kMaxValueDepth = 64;

// The attributes of `considering` and `ignoring`. ORDER: bit positions in
// TextRules::considered, and the parser's table of their names.
enum class TextAttribute { Case, WhiteSpace, Diacriticals, Hyphens, Punctuation, Expansion, NumericStrings };

constexpr unsigned attributeBit(TextAttribute a)
{
    return 1u << static_cast<unsigned>(a);
}

struct TextRules {
    static constexpr unsigned kDefault = attributeBit(TextAttribute::WhiteSpace) | attributeBit(TextAttribute::Diacriticals)
        | attributeBit(TextAttribute::Hyphens) | attributeBit(TextAttribute::Punctuation)
        | attributeBit(TextAttribute::Expansion);
    unsigned considered = kDefault;  // one bit per TextAttribute
    [[nodiscard]] bool considers(TextAttribute a) const { return (considered & attributeBit(a)) != 0; }
    QStringList delimiters = {QString()};  // AppleScript's text item delimiters
};

// How a value reads in an error message: "abc" quoted, {1, 2}, date "…".
[[nodiscard]] QString displayForm(const Value& v);
// How a value reads to a person (the command-line runner's output): text as it is,
// a list as its items joined by ", " (nested lists flattened), a record as
// "name:x, age:3", an object as its reference.
[[nodiscard]] QString readableForm(const Value& v);
// The result's text: text, numbers, booleans and dates; none for anything else.
[[nodiscard]] std::optional<QString> stringValue(const Value& v);
[[nodiscard]] QString formatReal(double d);
[[nodiscard]] QString typeName(TypeName t);

[[nodiscard]] QString toText(const Value& v, const TextRules& rules);
[[nodiscard]] double toNumber(const Value& v);
[[nodiscard]] qint64 toInteger(const Value& v);
[[nodiscard]] bool toBoolean(const Value& v);
[[nodiscard]] Value coerce(const Value& v, TypeName type, const TextRules& rules);

[[nodiscard]] bool equals(const Value& a, const Value& b, const TextRules& rules);
// Negative, zero or positive; the right operand is coerced to the left's kind.
[[nodiscard]] int compare(const Value& a, const Value& b, const TextRules& rules);
[[nodiscard]] Value arithmetic(BinaryOp op, const Value& a, const Value& b);
[[nodiscard]] Value negate(const Value& v);
[[nodiscard]] Value concat(Value a, const Value& b, const TextRules& rules);
[[nodiscard]] bool contains(const Value& container, const Value& part, const TextRules& rules);
[[nodiscard]] bool beginsWith(const Value& whole, const Value& part, const TextRules& rules);
[[nodiscard]] bool endsWith(const Value& whole, const Value& part, const TextRules& rules);
[[nodiscard]] qint64 offsetOf(const QString& needle, const QString& haystack, const TextRules& rules);

// Elements of a text by class ("character", "word", "paragraph", "text item").
[[nodiscard]] QStringList textElements(const QString& text, const QString& cls, const TextRules& rules);
// count of, length of.
[[nodiscard]] qint64 countOf(const Value& v);
// A property of a text, list, record or date ("length", "year", "date string", …);
// "class" is a class name value, "contents" the value itself.
// Of a text also "id" (its code point, or a list of them for several characters)
// and "quoted form" (the text in single quotes, safe as one word of a shell line).
[[nodiscard]] Value builtinProperty(const Value& v, const QString& name);

// `round x rounding MODE`: mode 0 or 4 to nearest (halves to even), 1 up, 2 down,
// 3 toward zero, 5 as taught in school (halves away from zero). An integer when
// the result fits one.
[[nodiscard]] Value roundNumber(const Value& v, int mode);
// The scripting additions on characters: `ASCII character 65` (codes 0 to 255,
// above 127 as Mac OS Roman), `ASCII number "A"` (of the first character),
// `character id 65` or `character id {72, 105}` (Unicode code points).
[[nodiscard]] Value asciiCharacter(const Value& v);
[[nodiscard]] Value asciiNumber(const Value& v);
[[nodiscard]] Value characterId(const Value& v);

[[nodiscard]] QString dateText(const QDateTime& d);
[[nodiscard]] Value dateFromText(const QString& text);

// Throws the size bound when a text or list would grow past its limit.
void checkTextLength(qint64 length);
void checkListLength(size_t length);
// Refuses to nest values deeper than kMaxValueDepth or to put a list or record
// into itself; `into` is the container being written (may be null).
void checkNesting(const Value& v, const void* into);

}  // namespace platform::applescript

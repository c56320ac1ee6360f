#pragma once
// RFC 2047 encoded words ("=?charset?Q?text?=", "=?charset?B?text?="), read by
// one rule wherever they stand.
//
// A word's bytes are decoded in its charset as a part's text is
// (HeaderBlock::decodeCharset): UTF-8 as UTF-8 with U+FFFD for a stray byte,
// US-ASCII and unknown charsets as undeclared text, Latin-1 as Windows-1252.
// Adjacent words of one charset are joined before decoding, since some mailers
// cut a multibyte character between two words, and the blanks between adjacent
// words are dropped (they are not text). A Q word keeps an "=" that starts no
// hexadecimal pair as it stands. Text outside words is undeclared 8-bit text.
// Malformed words stay as they are written. Decoding is linear in the length of
// the value, however many malformed words it holds, and says nothing on the
// standard error.

#include <QByteArray>
#include <QString>

namespace platform::mail {

// Unstructured text (Subject and the like), every word decoded.
[[nodiscard]] QString decodeEncodedWords(const QByteArray& value);

// The value for a parser of structured fields: every run of adjacent encoded
// words decoded by the rule above and written again as one UTF-8 base64 word, and
// 8-bit text outside words re-encoded as UTF-8 (undeclared text, read as above).
// The parser then reads every word alike and meets no charset it does not know.
// An "=?" that starts no well-formed word is written with kNotAWord between its
// two characters, so the parser does not try it either (KMime would, and print a
// warning per try); what it hands back has the mark removed (withoutMark).
[[nodiscard]] QByteArray normalizeEncodedWords(const QByteArray& value);

// Where needle first occurs in data at or after from, -1 when it does not (glibc's
// memmem: much faster than QByteArray::indexOf on short and long data alike).
[[nodiscard]] qsizetype findBytes(const QByteArray& data, const char* needle, qsizetype from);

inline constexpr char16_t kNotAWord = 0xF8FF;  // a private-use character
[[nodiscard]] QString withoutMark(QString text);

}  // namespace platform::mail

#pragma once
// A small RTF reader for the tests: enough of the format to read back what a saved
// message holds, the way a word processor would. It takes groups, control words,
// control symbols, \uN with its fallback (\ucN) and the destinations a reader
// skips, and reports a malformed document instead of guessing.

#include <QByteArray>
#include <QString>

#include <optional>

namespace quorvell::test {

struct RtfText {
    QString text;       // \par and \line as "\n", \tab as "\t"
    QString boldText;   // the characters that were bold, in order
    QString title;      // the \info group's \title
};

// None when the groups are unbalanced, the document is not one {\rtf1 ...} group,
// or it contains bytes outside 7-bit ASCII.
[[nodiscard]] std::optional<RtfText> readRtf(const QByteArray& rtf);

// A PDF file's text as pdftotext reads it (pages end in "\f"), or a line saying
// why it could not.
[[nodiscard]] QString pdfText(const QString& path);

}  // namespace quorvell::test

#pragma once
// PDF pages for saved messages: a QTextDocument (header lines with bold labels, a
// rule, the text) printed through QPdfWriter onto A4 pages. Glyphs come from the
// system's fonts through fontconfig, so any script the installed fonts cover shows
// (here DejaVu for Latin, Greek and Cyrillic, WenQuanYi Micro Hei for CJK, Symbola
// for emoji). Latin text carries no ligatures, so that text copied out of the PDF
// is the message's text. (Characters beyond U+FFFF, emoji among them, are drawn
// but Qt 5's writer leaves them out of the text a PDF reader copies.)
//
// Fonts need a QGuiApplication. Without one, writeMessagePdf refuses with an error
// instead of letting Qt abort the process.

#include "platform/mail/save/MessageSaver.h"

#include <QIODevice>
#include <QString>

namespace platform::mail {

// Writes the message as PDF into device (open for writing). Returns an error text,
// empty on success.
[[nodiscard]] QString writeMessagePdf(const MessageDocument& message, QIODevice* device);

}  // namespace platform::mail

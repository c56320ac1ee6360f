#pragma once
// PDF pages for saved messages, laid out as a mail client prints a message: the
// header block (bold labels) and a rule on the first page, then the text in a
// monospaced face with its own line breaks and spacing; only lines wider than the
// page (paragraphs of format=flowed or HTML text, URLs, base64) wrap, at the
// margin. Every page carries the subject and "N of M" above the text. The paper is
// A4 or Letter as the locale says (PaperSize.h). Glyphs come from the
// system's fonts through fontconfig, so any script the installed fonts cover shows
// (here DejaVu for Latin, Greek and Cyrillic, WenQuanYi Micro Hei for CJK, Symbola
// for emoji). Latin text carries no ligatures, so that text copied out of the PDF
// is the message's text. (Characters beyond U+FFFF, emoji among them, are drawn
// but Qt 5's writer leaves them out of the text a PDF reader copies.)
//
// Fonts need a QGuiApplication. Without one, writeMessagePdf refuses with an error
// instead of letting Qt abort the process.

#include "platform/mail/save/MessageSaver.h"
#include "platform/mail/save/PaperSize.h"

#include <QIODevice>
#include <QPageSize>
#include <QString>

namespace platform::mail {

// Writes the message as PDF into device (open for writing). Returns an error text,
// empty on success.
[[nodiscard]] QString writeMessagePdf(const MessageDocument& message, QIODevice* device,
                                      QPageSize::PageSizeId paper = systemPaperSize());

}  // namespace platform::mail

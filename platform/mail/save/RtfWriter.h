#pragma once
// A small RTF writer for saved messages (Qt writes no RTF). The output is 7-bit
// ASCII: "\", "{" and "}" are escaped, every non-ASCII UTF-16 code unit is written
// as "\uN?" (N signed 16-bit, as RTF readers expect; a character outside the BMP is
// two such units), tabs as "\tab", each line break of the text ends a paragraph,
// other control characters are dropped. Readers without Unicode support show "?".

#include "platform/mail/save/MessageSaver.h"

#include <QByteArray>
#include <QString>

namespace platform::mail {

// The whole document: the header lines (labels in bold, empty headers left out),
// an empty paragraph, then the text.
[[nodiscard]] QByteArray messageToRtf(const MessageDocument& message);

// text as RTF body text (no groups, no paragraph marks for the final line).
[[nodiscard]] QByteArray rtfEscaped(const QString& text);

}  // namespace platform::mail

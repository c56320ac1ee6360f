#pragma once
// The clipboard writer: clears the general clipboard and puts the text on it as one
// UTF-8 plain-text item. Without a text the clipboard is left empty.

#include <QByteArray>
#include <QString>

#include <optional>

namespace quorvell {

// Returns the status of the last pasteboard call (0 = no error).
int copyTextToClipboard(const std::optional<QString>& text);
// The same for text in UTF-8, put on the clipboard as it is.
int copyUtf8ToClipboard(const std::optional<QByteArray>& utf8);

}  // namespace quorvell

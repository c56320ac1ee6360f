#pragma once
// Runs the script resources. The resource is read from the resources directory as
// Mac OS Roman text (UTF-8 when it starts with a UTF-8 byte-order mark) at every
// run, adjusted, compiled and run against the mail application, and its result
// taken as text. Any failure gives no result and touches nothing (no clipboard, no
// sound); a script that fails to compile or run leaves one log line
// "NAME: syntax|execution error at line N: MESSAGE (NUMBER)". A script name is one file name
// straight inside the resources directory: a name with "/" in it finds nothing.

#include "platform/applescript/AppleScript.h"

#include <QString>

#include <optional>

namespace quorvell {

// Switches the first "false" of the script to "true" when reverseOrder; turns
// every line break of the result into "," when commaDelimited; writes the text to
// the clipboard when copyToClipboard; plays "Ping" after a success unless the
// DontMakeCompletionSound setting is on.
[[nodiscard]] std::optional<QString> runMailScript(const QString& scriptName, bool reverseOrder,
                                                   bool copyToClipboard, bool commaDelimited);

// runMailScript with the text as the run left it: a text built from raw mail
// stays UTF-8 on its way to the clipboard, never widened to UTF-16.
[[nodiscard]] std::optional<platform::applescript::ResultDescriptor>
runMailScriptResult(const QString& scriptName, bool reverseOrder, bool copyToClipboard, bool commaDelimited);
// Replaces every occurrence of target (any letter case) by replacement, then runs.
// No commas, no clipboard, no sound.
[[nodiscard]] std::optional<QString> runMailScriptReplacing(const QString& scriptName,
                                                            const std::optional<QString>& target,
                                                            const QString& replacement);

// The text turned into a list joined by commas: "\r\n", then "\r", then "\n" -> ",".
[[nodiscard]] QString commaDelimitedText(const QString& text);

}  // namespace quorvell

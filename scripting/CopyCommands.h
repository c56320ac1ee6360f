#pragma once
// The seventeen copy commands, driven by one table: which script, whether the
// comma option applies, and who writes the clipboard.

#include "app/CommandTable.h"

namespace quorvell {

// True for the seventeen copy commands.
[[nodiscard]] bool isCopyCommand(Command command);

// Runs one copy command to its end. Does nothing for other commands.
void runCopyCommand(Command command);

}  // namespace quorvell

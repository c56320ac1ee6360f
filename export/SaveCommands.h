#pragma once
// The two save commands (SaveToPDF, SaveToRTF): bring the app to the front, check
// the accessibility access, ask for a folder, run the export script with the
// folder written into it.

#include "app/CommandTable.h"

namespace quorvell {

// Runs SaveToPDF or SaveToRTF with the desktop's own alert and folder chooser.
// Does nothing for other commands.
void runSaveCommand(Command command);

}  // namespace quorvell

#pragma once
// The pasteboard as the script engine's clipboard: `the clipboard` reads the
// UTF-8 text of the general pasteboard's item, `set the clipboard to x` clears it
// and puts x there as one UTF-8 plain-text item, as the copy commands do. Needs a
// QGuiApplication, like the pasteboard itself; without one every use fails.

namespace platform::pasteboard {

// Makes the general pasteboard the clipboard of every script run after it.
void registerScriptClipboard();

}  // namespace platform::pasteboard

#pragma once
// The two save commands (SaveToPDF, SaveToRTF): bring the app to the front, check
// the accessibility access, make sure messages are selected, ask for a folder, run
// the export script with the folder written into it, and tell the person how many
// files it saved (a desktop notification whose action opens the folder).
//
// The chosen folder's path is written into the script inside a string literal, so
// it is escaped for that context first (backslash and double quote): a folder named
// `a" & (do something) & "b\c` reaches the script as exactly that text and runs
// nothing.

#include "app/CommandTable.h"
#include "platform/desktop/widgets/Alert.h"
#include "platform/desktop/widgets/OpenPanel.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace quorvell {

// Runs SaveToPDF or SaveToRTF with the desktop's own alert and folder chooser.
// Does nothing for other commands.
void runSaveCommand(Command command);

// What a save command asks of the desktop: the pieces a person answers (the alert,
// the chooser) and the ones that reach outside the process.
struct SaveCommandSeams {
    std::function<void()> setFrontProcess;
    std::function<bool()> accessibilityEnabled;
    std::function<int(const platform::desktop::AlertSpec&)> runAlert;
    std::function<platform::desktop::OpenPanelResult(const platform::desktop::OpenPanelOptions&)> runOpenPanel;
    std::function<void(const QUrl&)> openURL;
};

// The desktop's own: the real front process, alert and chooser; accessibility is
// always granted here (X11 and Wayland desktops gate no per-application control of
// the mail stand-in); URLs open through openSystemURL.
[[nodiscard]] SaveCommandSeams desktopSaveCommandSeams();

// The command with the given seams. Gives back the export script's text for the
// callers that look at it (tests, the benchmark); none when the command ended early
// or the script failed. Other commands: none, nothing done.
std::optional<QString> runSaveCommand(Command command, const SaveCommandSeams& seams);

// text as the contents of a script string literal: "\" -> "\\", "\"" -> "\\\"".
[[nodiscard]] QString escapedForScriptString(const QString& text);

}  // namespace quorvell

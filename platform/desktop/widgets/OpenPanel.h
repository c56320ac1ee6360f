#pragma once
// A modal chooser for files or folders. It opens in the folder of the last choice
// (kept across runs in ${XDG_STATE_HOME:-~/.local/state}/quorvell/last-folder),
// else in the home folder; never in the process's working folder.

#include <QString>
#include <QStringList>

namespace platform::desktop {

inline constexpr int kOKButton = 1;
inline constexpr int kCancelButton = 0;

struct OpenPanelOptions {
    bool allowsMultipleSelection = false;
    bool canChooseDirectories = false;
    bool canChooseFiles = true;
    bool canCreateDirectories = false;
    QString title;
    QString prompt;  // the confirm button's title
};

struct OpenPanelResult {
    int button = kCancelButton;
    QStringList filenames;  // POSIX paths, no trailing slash
};

OpenPanelResult runOpenPanel(const OpenPanelOptions& options);

// The folder the next chooser opens in: the remembered one while it is still a
// folder, else the home folder.
[[nodiscard]] QString openPanelStartFolder();
// Remembers a chosen folder (for a chosen file, its folder). Failing to write is
// not reported: the next chooser then opens in the home folder.
void rememberOpenPanelChoice(const QString& path);

}  // namespace platform::desktop

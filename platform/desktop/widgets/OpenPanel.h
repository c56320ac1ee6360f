#pragma once
// A modal chooser for files or folders.

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

}  // namespace platform::desktop

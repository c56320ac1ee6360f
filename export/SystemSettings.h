#pragma once
// Where the desktop keeps the settings a system preference pane stands for. The
// save commands' alert offers "/System/Library/PreferencePanes/Security.prefPane";
// here that file URL opens the desktop's accessibility settings when the desktop
// has such a program, and does nothing otherwise. Any other URL goes to the
// desktop's handler.

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

namespace quorvell {

inline constexpr const char* kSecurityPanePath = "/System/Library/PreferencePanes/Security.prefPane";

struct SettingsLauncher {
    QString program;
    QStringList arguments;
    friend bool operator==(const SettingsLauncher&, const SettingsLauncher&) = default;
};

// The accessibility settings program for currentDesktop (XDG_CURRENT_DESKTOP: names
// separated by ":", any letter case), the first of its candidates that isInstalled
// accepts; none for an unknown desktop or when nothing is installed.
[[nodiscard]] std::optional<SettingsLauncher> accessibilitySettingsLauncher(
    const QString& currentDesktop, const std::function<bool(const QString& program)>& isInstalled);

// Opens url as the platform's shared workspace would, the security pane mapped as
// above. Never waits for the program started.
void openSystemURL(const QUrl& url);

}  // namespace quorvell

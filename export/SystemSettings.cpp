#include "export/SystemSettings.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

#include <array>
#include <string_view>

namespace quorvell {

namespace {

struct DesktopSettings {
    std::string_view desktop;  // one name of XDG_CURRENT_DESKTOP, compared without case
    std::string_view program;
    std::string_view argument;
};

// ORDER: within one desktop, the preferred program first.
constexpr std::array<DesktopSettings, 9> kAccessibilitySettings{{
    {"GNOME", "gnome-control-center", "universal-access"},
    {"Unity", "gnome-control-center", "universal-access"},
    {"ubuntu", "gnome-control-center", "universal-access"},
    {"Budgie", "budgie-control-center", "universal-access"},
    {"KDE", "systemsettings", "kcm_access"},
    {"KDE", "systemsettings5", "kcm_access"},
    {"X-Cinnamon", "cinnamon-settings", "universal-access"},
    {"XFCE", "xfce4-accessibility-settings", ""},
    {"MATE", "mate-at-properties", ""},
}};

QString toQString(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<int>(text.size()));
}

}  // namespace

std::optional<SettingsLauncher> accessibilitySettingsLauncher(
    const QString& currentDesktop, const std::function<bool(const QString& program)>& isInstalled)
{
    const QStringList desktops = currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& desktop : desktops) {
        for (const DesktopSettings& row : kAccessibilitySettings) {
            if (desktop.compare(toQString(row.desktop), Qt::CaseInsensitive) != 0)
                continue;
            const QString program = toQString(row.program);
            if (!isInstalled(program))
                continue;
            SettingsLauncher launcher{program, {}};
            if (!row.argument.empty())
                launcher.arguments << toQString(row.argument);
            return launcher;
        }
    }
    return std::nullopt;
}

void openSystemURL(const QUrl& url)
{
    if (url.isLocalFile() && url.toLocalFile() == QLatin1String(kSecurityPanePath)) {
        const auto launcher = accessibilitySettingsLauncher(
            qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
            [](const QString& program) { return !QStandardPaths::findExecutable(program).isEmpty(); });
        if (launcher)
            QProcess::startDetached(launcher->program, launcher->arguments);
        return;
    }
    QDesktopServices::openUrl(url);
}

}  // namespace quorvell

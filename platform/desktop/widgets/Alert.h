#pragma once
// A modal alert. The first button added is the default; runModal answers 1000 for
// the first button, 1001 for the second, and so on.

#include <QString>
#include <QStringList>

namespace platform::desktop {

enum class AlertStyle { Warning = 0, Informational = 1, Critical = 2 };

inline constexpr int kAlertFirstButtonReturn = 1000;
inline constexpr int kAlertSecondButtonReturn = 1001;

struct AlertSpec {
    AlertStyle style = AlertStyle::Warning;
    QString messageText;
    QString informativeText;
    QStringList buttons;  // in the order added
};

int runModalAlert(const AlertSpec& alert);

}  // namespace platform::desktop

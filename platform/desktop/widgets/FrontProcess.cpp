#include "platform/desktop/widgets/FrontProcess.h"

#include <QApplication>
#include <QWidget>

namespace platform::desktop {

void setFrontProcess()
{
    // Only windows the user can see are brought forward: hidden top-levels (menus
    // closed, the preferences window before its first showing) stay hidden.
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (!window->isVisible() || window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip)
            continue;
        window->raise();
        window->activateWindow();
    }
}

}  // namespace platform::desktop

#include "platform/desktop/widgets/Alert.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace platform::desktop {
namespace {

QMessageBox::Icon iconFor(AlertStyle style)
{
    switch (style) {
    case AlertStyle::Informational:
        return QMessageBox::Information;
    case AlertStyle::Critical:
        return QMessageBox::Critical;
    case AlertStyle::Warning:
        break;
    }
    return QMessageBox::Warning;
}

}  // namespace

int runModalAlert(const AlertSpec& alert)
{
    QMessageBox box;
    box.setIcon(iconFor(alert.style));
    box.setText(alert.messageText);
    box.setInformativeText(alert.informativeText);
    box.setTextFormat(Qt::PlainText);

    // An alert without buttons still gets one to close it, as the platform's does.
    QStringList titles = alert.buttons;
    if (titles.isEmpty())
        titles << QStringLiteral("OK");

    // All buttons share one role so that the box keeps them in the order added; the
    // answer is derived from that order, never from the role.
    std::vector<QPushButton*> buttons;
    for (const QString& title : titles)
        buttons.push_back(box.addButton(title, QMessageBox::ActionRole));
    box.setDefaultButton(buttons.front());
    // Escape or the window's close button answer as the last button ("Cancel" by
    // convention); with a single button, as that one.
    box.setEscapeButton(buttons.back());

    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i] == clicked)
            return kAlertFirstButtonReturn + static_cast<int>(i);
    }
    return kAlertFirstButtonReturn + static_cast<int>(buttons.size()) - 1;
}

}  // namespace platform::desktop

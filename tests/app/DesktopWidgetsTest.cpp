// The widget-side desktop services with a person's answer given through the real
// dialogs: an alert's answer codes follow the order of its buttons whatever the
// layout does with them, and the chooser gives what was chosen.

#include "platform/desktop/widgets/Alert.h"
#include "platform/desktop/widgets/OpenPanel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace platform::desktop {
namespace {

// Runs answer on the first modal window that shows, from the event loop of the
// dialog itself; gives up (rejecting whatever is modal) after five seconds.
template <typename Dialog>
void whenModal(std::function<void(Dialog*)> answer)
{
    auto* timer = new QTimer(qApp);
    auto deadline = std::make_shared<int>(250);
    QObject::connect(timer, &QTimer::timeout, [timer, answer, deadline] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog && --*deadline > 0)
            return;
        timer->stop();
        timer->deleteLater();
        if (dialog)
            answer(dialog);
        else
            ADD_FAILURE() << "no modal dialog of the expected kind showed";
    });
    timer->start(20);
}

struct AlertCase {
    const char* name;
    QStringList buttons;
    QString press;  // the title of the button pressed; empty: Escape
    int expected;
};

TEST(AlertTest, AnswersFollowTheOrderOfTheButtons)
{
    const QString open = QStringLiteral("Open System Preferences");
    const QString cancel = QStringLiteral("Cancel");
    const std::vector<AlertCase> cases = {
        {"first", {open, cancel}, open, kAlertFirstButtonReturn},
        {"second", {open, cancel}, cancel, kAlertSecondButtonReturn},
        {"third of three", {"A", "B", "C"}, "C", 1002},
        {"escape answers as the last", {open, cancel}, {}, kAlertSecondButtonReturn},
        {"escape with one button", {QStringLiteral("OK")}, {}, kAlertFirstButtonReturn},
        {"no buttons still closes", {}, QStringLiteral("OK"), kAlertFirstButtonReturn},
    };
    for (const AlertCase& c : cases) {
        SCOPED_TRACE(c.name);
        whenModal<QMessageBox>([&](QMessageBox* box) {
            EXPECT_EQ(box->text(), QStringLiteral("Message"));
            EXPECT_EQ(box->informativeText(), QStringLiteral("Details & more <b>"));
            EXPECT_EQ(box->icon(), QMessageBox::Warning);
            if (c.press.isEmpty()) {
                QTest::keyClick(box, Qt::Key_Escape);
                return;
            }
            const auto buttons = box->buttons();
            const auto button = std::find_if(buttons.begin(), buttons.end(),
                                             [&](const QAbstractButton* b) { return b->text() == c.press; });
            ASSERT_NE(button, buttons.end());
            (*button)->click();
        });
        AlertSpec alert;
        alert.messageText = QStringLiteral("Message");
        alert.informativeText = QStringLiteral("Details & more <b>");
        alert.buttons = c.buttons;
        EXPECT_EQ(runModalAlert(alert), c.expected);
    }
}

OpenPanelOptions folderChooser()
{
    OpenPanelOptions options;
    options.canChooseDirectories = true;
    options.canChooseFiles = false;
    options.canCreateDirectories = true;
    options.title = QStringLiteral("Choose a folder to save messages to");
    options.prompt = QStringLiteral("Choose");
    return options;
}

// The chooser as a person uses it: it opens at home (never in the working folder),
// then where the last choice was while that folder exists; choosing gives the folder,
// cancelling gives nothing.
TEST(OpenPanelTest, GivesTheChoiceAndOpensWhereTheLastChoiceWasElseAtHome)
{
    // The test main's temporary home, with the chooser's memory kept under it.
    const QString home = QDir::homePath();
    const QByteArray savedState = qgetenv("XDG_STATE_HOME");
    qunsetenv("XDG_STATE_HOME");
    const QString chosen = home + QStringLiteral("/a \"quoted\" & folder");
    ASSERT_TRUE(QDir().mkpath(chosen));
    const QString savedCurrent = QDir::currentPath();
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/elsewhere")));
    ASSERT_TRUE(QDir::setCurrent(home + QStringLiteral("/elsewhere")));

    // choose: the folder the person picks (empty: cancel). Gives the folder the
    // chooser opened in.
    auto openedIn = [](const QString& choose, bool canCreate = true) {
        QString opened;
        whenModal<QFileDialog>([&](QFileDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Choose a folder to save messages to"));
            EXPECT_EQ(dialog->labelText(QFileDialog::Accept), QStringLiteral("Choose"));
            EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
            EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
            EXPECT_EQ(dialog->testOption(QFileDialog::ReadOnly), !canCreate);
            opened = dialog->directory().absolutePath();
            if (choose.isEmpty())
                return dialog->reject();
            // Choosing with the dialog standing in the folder, as a person does
            // after opening it.
            dialog->setDirectory(choose + QLatin1Char('/'));
            static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, through the public slot
        });
        OpenPanelOptions options = folderChooser();
        options.canCreateDirectories = canCreate;
        const OpenPanelResult result = runOpenPanel(options);
        EXPECT_EQ(result.button, choose.isEmpty() ? kCancelButton : kOKButton);
        EXPECT_EQ(result.filenames, choose.isEmpty() ? QStringList() : QStringList{choose});
        return opened;
    };
    EXPECT_EQ(openedIn(chosen), home);
    EXPECT_EQ(openedIn({}, false), chosen);
    ASSERT_TRUE(QDir(chosen).removeRecursively());
    EXPECT_EQ(openedIn({}), home);

    QDir::setCurrent(savedCurrent);
    qputenv("XDG_STATE_HOME", savedState);
}

}  // namespace
}  // namespace platform::desktop

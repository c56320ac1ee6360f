// The status menu against the real preference store: what each opening shows for
// the values stored (by this process or another), and where each item leads.

#include "app/AppController.h"
#include "app/CommandTable.h"
#include "platform/desktop/Bundle.h"
#include "platform/desktop/widgets/Workspace.h"
#include "settings/SettingsTable.h"

#include "platform/preferences/Preferences.h"
#include "settings/QuorvellPrefPane.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "tests/app/MenuCommands.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace quorvell {
namespace {

using Entries = std::vector<std::string>;

// The menu of a fresh installation, as the user reads it; "-" is a separator.
Entries fullMenu()
{
    Entries entries = {"View in Brightfold Website...", "View in Software Center...", "-"};
    for (int i = 0; i < kMenuCommands.size(); i += 2)
        entries.push_back(kMenuCommands[i].toStdString());
    entries.insert(entries.end(), {"-", "Preferences...", "-", "Quit"});
    return entries;
}
const Entries kFullMenu = fullMenu();

Entries entriesOf(const QMenu& menu)
{
    Entries entries;
    const auto actions = menu.actions();
    for (const QAction* action : actions)
        entries.push_back(action->isSeparator() ? std::string("-") : action->text().toStdString());
    return entries;
}

Entries without(Entries entries, const std::vector<std::string>& hidden)
{
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const std::string& e) {
                                     return std::find(hidden.begin(), hidden.end(), e) != hidden.end();
                                 }),
                  entries.end());
    return entries;
}

// Opens the menu as the platform does (its aboutToShow rebuilds it) and closes it.
Entries openMenu(const AppController& controller)
{
    QMenu* menu = controller.menu();
    menu->popup(QPoint(10, 10));
    Entries entries = entriesOf(*menu);
    menu->hide();
    return entries;
}

QAction* itemTitled(const AppController& controller, const QString& title)
{
    const auto actions = controller.menu()->actions();
    for (QAction* action : actions) {
        if (action->text() == title)
            return action;
    }
    return nullptr;
}

// Picks an item as the user would and lets the event loop deliver its action.
void choose(const AppController& controller, const QString& title)
{
    QAction* item = itemTitled(controller, title);
    ASSERT_NE(item, nullptr) << title.toStdString();
    item->trigger();
    QCoreApplication::processEvents();
}

const QString kDomain = qs(kSettingsDomain);

void clearStore()
{
    for (const SettingRow& row : kSettingsTable)
        platform::preferences::setAppValue(qs(row.key), QVariant(), kDomain);
    platform::preferences::setAppValue(QStringLiteral("IncludeMessageID"), QVariant(), kDomain);
    ASSERT_TRUE(platform::preferences::appSynchronize(kDomain));
}

void storeValues(const std::vector<std::pair<QString, QVariant>>& values)
{
    for (const auto& [key, value] : values)
        platform::preferences::setAppValue(key, value, kDomain);
    ASSERT_TRUE(platform::preferences::appSynchronize(kDomain));
}

class AppControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clearStore();
    }
    void TearDown() override
    {
        platform::desktop::setURLOpener({});
        platform::desktop::setResourcesDirectoryOverride(std::nullopt);
        clearStore();
    }
};

// Every opening rebuilds the same menu: the items removed are deleted, not merely
// detached, and the menu itself stays.
TEST_F(AppControllerTest, FreshStoreShowsTheTwentySixEntriesInOrderAtEveryOpening)
{
    AppController controller;
    QMenu* const menu = controller.menu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(openMenu(controller), kFullMenu);
    const auto childCount = [menu] { return menu->findChildren<QObject*>().size(); };
    const int children = childCount();
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(openMenu(controller), kFullMenu) << "opening " << i;
    EXPECT_EQ(controller.menu(), menu);
    EXPECT_EQ(childCount(), children);

    EXPECT_TRUE(menu->toolTipsVisible());
    const auto actions = menu->actions();
    for (const QAction* action : actions) {
        if (action->isSeparator())
            continue;
        SCOPED_TRACE(action->text().toStdString());
        EXPECT_TRUE(action->isEnabled());
        EXPECT_TRUE(action->shortcut().isEmpty());
        EXPECT_EQ(action->menu(), nullptr);
        EXPECT_FALSE(action->isCheckable());
        // Commands' tool tips: FixedListsTest. Without a tool tip of its own an action
        // reports its text (less the ellipsis) as one, and the menu shows nothing.
        if (action->data().toInt() < 0) {
            EXPECT_EQ(action->toolTip(), QString(action->text()).remove(QStringLiteral("...")));
        }
    }
}

TEST_F(AppControllerTest, StatusImageComesFromTheResourcesOrIsLeftOut)
{
    {
        AppController controller;
        EXPECT_FALSE(controller.statusItem()->icon().isNull()) << "Quorvell.tif not found or not decoded";
        EXPECT_EQ(controller.statusItem()->icon().name(), QStringLiteral("quorvell"));
    }
    platform::desktop::setResourcesDirectoryOverride(QString());
    AppController controller;
    EXPECT_TRUE(controller.statusItem()->icon().isNull());
    EXPECT_EQ(openMenu(controller), kFullMenu);
}

TEST_F(AppControllerTest, EveryLeftClickOpensTheRebuiltMenu)
{
    // A quick second click arrives as DoubleClick; it must not be lost.
    AppController controller;
    for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick}) {
        emit controller.statusItem()->activated(reason);
        EXPECT_TRUE(controller.menu()->isVisible()) << reason;
        EXPECT_EQ(entriesOf(*controller.menu()), kFullMenu);
        controller.menu()->hide();
    }
    emit controller.statusItem()->activated(QSystemTrayIcon::MiddleClick);
    EXPECT_FALSE(controller.menu()->isVisible());
}

// The store item opens the software centre's page where an application takes the
// appstream scheme, and the web page where none does or the opener fails.
TEST_F(AppControllerTest, ProductLinksOpenTheirAddressesAndQuitEndsTheEventLoop)
{
    const QUrl website(QStringLiteral("https://www.brightfold.com/quorvell/"));
    const QUrl store(QStringLiteral("appstream://com.brightfold.Quorvell"));
    const struct {
        const char* file;  // in a temporary XDG data folder
        const char* text;
        bool opens;
        std::vector<QUrl> expected;
    } cases[] = {
        {nullptr, nullptr, true, {website}},
        {"web.desktop", "[Desktop Entry]\nMimeType=x-scheme-handler/https;\n", true, {website}},
        {"kde/centre.desktop", "[Desktop Entry]\nMimeType=x-scheme-handler/apt;x-scheme-handler/appstream;\n", true,
         {store}},
        {"mimeapps.list", "[Default Applications]\nx-scheme-handler/appstream=centre.desktop\n", true, {store}},
        {"centre.desktop", "[Desktop Entry]\nMimeType=x-scheme-handler/appstream\n", false, {store, website}},
    };
    const QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
    AppController controller;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "no handler");
        QTemporaryDir data;  // the temporary home has no applications of its own
        qputenv("XDG_DATA_DIRS", QFile::encodeName(data.path()));
        if (c.file) {
            const QString path = data.filePath(QStringLiteral("applications/") + QLatin1String(c.file));
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.text);
        }
        std::vector<QUrl> opened;
        platform::desktop::setURLOpener([&](const QUrl& url) {
            opened.push_back(url);
            return c.opens || url != store;
        });
        openMenu(controller);
        choose(controller, QStringLiteral("View in Software Center..."));
        choose(controller, QStringLiteral("View in Brightfold Website..."));
        auto expected = c.expected;
        expected.push_back(website);
        EXPECT_EQ(opened, expected);
    }
    qputenv("XDG_DATA_DIRS", dataDirs);

    QObject::connect(&controller, &AppController::terminateRequested, qApp, &QApplication::quit);
    openMenu(controller);
    QTimer::singleShot(0, [&] { itemTitled(controller, QStringLiteral("Quit"))->trigger(); });
    QTimer::singleShot(5000, [] { QApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
}

// The same window each time, shown and active; a minimised one comes back.
TEST_F(AppControllerTest, PreferencesShowsTheSameWindowEachTime)
{
    AppController controller;
    QuorvellPrefPane pane;
    controller.setPrefController(&pane);
    QWidget* window = nullptr;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        openMenu(controller);
        choose(controller, QStringLiteral("Preferences..."));
        ASSERT_NE(pane.window(), nullptr);
        EXPECT_EQ(pane.window(), window ? window : (window = pane.window()));
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->isMinimized());
        EXPECT_EQ(QApplication::activeWindow(), window);
        window->showMinimized();
    }
    window->hide();
}

struct StoredCase {
    const char* name;
    std::vector<std::pair<QString, QVariant>> stored;
    std::vector<std::string> hidden;
};

TEST_F(AppControllerTest, StoredValuesDecideEachOpening)
{
    // The rows after this one show the commands again: the store is read at each
    // opening, not once.
    StoredCase allOff{"every command key off", {}, {}};
    for (const CommandRow& row : menuCommands()) {
        allOff.stored.emplace_back(qs(row.key), false);
        allOff.hidden.emplace_back(row.title);
    }
    const std::vector<StoredCase> cases = {
        allOff,
        {"number 0 is not off", {{"IncludeSubject", qlonglong(0)}}, {}},
        {"prefixed name of a key without prefix", {{"IncludeMessageID", false}}, {}},
        {"submenu on", {{"MakeAsSubmenu", true}}, {}},
        {"save keys on", {{"IncludeSaveToPDF", true}, {"IncludeSaveToRTF", true}}, {}},
        {"options on",
         {{"UseCommaDelimiter", true}, {"ReverseOrder", true}, {"DontMakeCompletionSound", true}},
         {}},
    };
    AppController controller;
    for (const StoredCase& c : cases) {
        SCOPED_TRACE(c.name);
        clearStore();
        storeValues(c.stored);
        EXPECT_EQ(openMenu(controller), without(kFullMenu, c.hidden));
    }
}

}  // namespace
}  // namespace quorvell

// The preferences window against the real preference store (in a temporary
// XDG_CONFIG_HOME) and a private session bus. The store calls are recorded on their
// way to the real store, so the tests see their order.

#include "platform/desktop/Bundle.h"
#include "platform/desktop/Log.h"
#include "platform/notifications/Notifications.h"
#include "platform/preferences/Preferences.h"
#include "settings/QuorvellPrefPane.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"
#include "tests/support/ToolRun.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDBusConnection>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/NotificationListener.h"
#include "tests/support/RecordingStore.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using quorvell::kSettingsTable;
using quorvell::QuorvellPrefPane;

namespace {

const QString kDomain = qs(quorvell::kSettingsDomain);

std::size_t rowOf(std::string_view k)
{
    for (std::size_t row = 0; row < kSettingsTable.size(); ++row)
        if (kSettingsTable[row].key == k)
            return row;
    ADD_FAILURE() << "no row " << k;
    return 0;
}

// quorvell-defaults, as another process: its output, or none when it fails.
std::optional<QString> defaults(const QStringList& arguments)
{
    const ToolRun run = runTool(QStringLiteral(QUORVELL_DEFAULTS_TOOL), arguments);
    return run.status == 0 ? std::optional(run.out.trimmed()) : std::nullopt;
}
void writeInChild(std::string_view k, const QString& type, const QString& value)
{
    EXPECT_TRUE(defaults({QStringLiteral("write"), kDomain, qs(k), type, value})) << k;
}
// What another process reads after synchronising: "boolean 1", "integer 0", or "none".
QString readInChild(std::string_view k)
{
    const auto type = defaults({QStringLiteral("read-type"), kDomain, qs(k)});
    return type ? type->section(' ', -1) + ' ' + defaults({QStringLiteral("read"), kDomain, qs(k)}).value_or("?")
                : QStringLiteral("none");
}

class PrefPaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Every test starts from an empty domain.
        for (const auto& row : kSettingsTable)
            platform::preferences::setAppValue(qs(row.key), {}, kDomain);
        platform::preferences::appSynchronize(kDomain);
    }
    std::unique_ptr<QuorvellPrefPane> makePane()
    {
        auto pane = std::make_unique<QuorvellPrefPane>();
        pane->setStore(recordingStore(calls));
        pane->awakeFromNib();
        calls.clear();
        return pane;
    }
    QStringList calls;  // the store calls of the pane last made
};

}  // namespace

// What an empty store loads is checked in the app's tests, against its written-out list.
TEST_F(PrefPaneTest, LoadsStoredBooleansAndDefaultsForEverythingElse)
{
    struct Stored {
        std::string_view key;
        const char* type;
        const char* value;
        Qt::CheckState expected;
    };
    const Stored stored[] = {
        {"IncludeContent", "-bool", "false", Qt::Unchecked},    {"ReverseOrder", "-bool", "true", Qt::Checked},
        {"IncludeSubject", "-int", "0", Qt::Checked},           {"MessageID", "-string", "NO", Qt::Checked},
        {"UseCommaDelimiter", "-int", "1", Qt::Unchecked},      {"DontMakeCompletionSound", "-float", "1", Qt::Unchecked},
    };
    for (const auto& s : stored)
        writeInChild(s.key, s.type, s.value);
    platform::preferences::appSynchronize(kDomain);

    const auto pane = makePane();
    for (const auto& s : stored)
        EXPECT_EQ(pane->checkbox(rowOf(s.key))->checkState(), s.expected) << s.key;
    EXPECT_EQ(pane->versionInfoField()->text(), QStringLiteral("Quorvell " QUORVELL_VERSION));
}

namespace {
class RefusesToClose : public QWidget {
protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};
}  // namespace

TEST_F(PrefPaneTest, ClosingAnyWindowRunsTheFullSaveOnce)
{
    using Windows = std::vector<std::unique_ptr<QWidget>>;
    struct Case {
        const char* what;
        std::function<void(QuorvellPrefPane&, Windows&)> act;
        bool saves;
    };
    const std::vector<Case> cases{
        {"the preferences window", [](auto& pane, auto&) {
             pane.window()->show();
             pane.window()->close();
         }, true},
        {"the preferences window's Escape key", [](auto& pane, auto&) {
             pane.window()->show();
             pane.window()->activateWindow();
             ASSERT_TRUE(QTest::qWaitForWindowActive(pane.window()));
             QTest::keyClick(pane.window(), Qt::Key_Escape);
             EXPECT_FALSE(pane.window()->isVisible());
         }, true},
        {"an alert's button (a dialog's done(), which hides without a close)", [](auto&, auto&) {
             QMessageBox alert(QMessageBox::Warning, "Quorvell", "Alert", QMessageBox::Ok | QMessageBox::Cancel);
             alert.show();
             QTest::mouseClick(alert.button(QMessageBox::Cancel), Qt::LeftButton);
         }, true},
        {"a dialog's close button", [](auto&, auto&) {
             QDialog dialog;
             dialog.show();
             dialog.close();  // rejects, which hides; the close must not count twice
         }, true},
        {"a menu", [](auto&, auto&) {
             QMenu menu;
             menu.addAction("Copy Subject");
             menu.popup({10, 10});
             menu.hide();
         }, false},
        {"a window that refuses to close", [](auto&, Windows& windows) {
             windows.push_back(std::make_unique<RefusesToClose>());
             windows.back()->show();
             windows.back()->close();
         }, false},
        {"a control inside a window", [](auto& pane, auto&) {
             pane.window()->show();
             pane.checkbox(0)->hide();
             pane.checkbox(0)->show();
         }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Windows windows;  // outlives the pane, whose end stops the watching
        const auto pane = makePane();
        pane->checkbox(rowOf("IncludeSubject"))->setCheckState(Qt::Unchecked);
        pane->checkbox(rowOf("ReverseOrder"))->setCheckState(Qt::PartiallyChecked);
        NotificationListener listener;

        c.act(*pane, windows);

        // The order of the full save is checked in the app's tests, against its written-out list.
        EXPECT_EQ(calls.size(), c.saves ? 28 : 0);
        EXPECT_EQ(calls.count(QStringLiteral("post")), c.saves ? 1 : 0);
        const QStringList seen = listener.settled(c.saves ? 1 : 0);
        if (c.saves) {
            EXPECT_EQ(seen, QStringList{"Preferences Changed / com.brightfold.preference.Quorvell"});
            EXPECT_EQ(readInChild("IncludeSubject"), "boolean 0");
            EXPECT_EQ(readInChild("ReverseOrder"), "boolean 1");
            EXPECT_EQ(readInChild("IncludeSaveToRTF"), "boolean 1");
        }
        else {
            EXPECT_TRUE(seen.isEmpty());
        }
        calls.clear();
    }
}

TEST_F(PrefPaneTest, TheMixedStateStoresTrue)
{
    const auto pane = makePane();
    const std::size_t row = rowOf("UseCommaDelimiter");
    pane->checkbox(row)->setCheckState(Qt::PartiallyChecked);
    pane->checkboxButtonClicked(row);
    EXPECT_EQ(calls, QStringList({"store UseCommaDelimiter=1", "sync"}));
    EXPECT_EQ(readInChild("UseCommaDelimiter"), "boolean 1");
}

TEST_F(PrefPaneTest, ABrokenLayoutIsLoggedAndNeverCrashes)
{
    QFile original(qEnvironmentVariable("QUORVELL_SOURCE_DIR") + "/resources/Preferences.ui");
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray layout = original.readAll();

    enum class Resources { Changed, Garbage, NoLayoutFile, None };
    struct Case {
        const char* what;
        Resources resources;
        QByteArray renamed;  // object name taken out of the layout
        QString logged;
        int storedKeys;      // by the full save
    };
    const Case cases[] = {
        {"a checkbox missing", Resources::Changed, "m_includeSubject", "m_includeSubject", 24},
        {"a group button missing", Resources::Changed, "includeAllTopButton", "includeAllTopButton", 25},
        {"the version field missing", Resources::Changed, "m_versionInfoField", "m_versionInfoField", 25},
        {"not a layout", Resources::Garbage, {}, "Preferences.ui", 0},
        {"no layout file", Resources::NoLayoutFile, {}, "Preferences.ui", 0},
        {"no resources", Resources::None, {}, "resources", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir resources;
        QFile file(QDir(resources.path()).filePath("Preferences.ui"));
        if (c.resources == Resources::Changed || c.resources == Resources::Garbage) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.resources == Resources::Garbage
                           ? QByteArray("<ui version=\"4.0\"><widget class=")
                           : QByteArray(layout).replace("name=\"" + c.renamed + "\"", "name=\"other\""));
            file.close();
        }
        platform::desktop::setResourcesDirectoryOverride(c.resources == Resources::None ? QString()
                                                                                        : resources.path());
        QStringList lines;
        platform::desktop::setLogSink([&](const QString& line) { lines << line; });

        const auto pane = makePane();
        ASSERT_NE(pane->window(), nullptr);
        pane->window()->show();
        pane->window()->close();
        const QStringList fullSaveCalls = calls;
        pane->includeAllTopButtonClicked();
        pane->includeNoneBottomButtonClicked();

        platform::desktop::setLogSink({});
        platform::desktop::setResourcesDirectoryOverride(std::nullopt);
        EXPECT_TRUE(lines.join('\n').contains(c.logged)) << lines.join('\n').toStdString();
        EXPECT_EQ(fullSaveCalls.filter("store").size(), c.storedKeys);
        EXPECT_EQ(fullSaveCalls.filter("sync").size(), 2);
        calls.clear();
    }
}


// The preferences window against the real preference store (in a temporary
// XDG_CONFIG_HOME) and a private session bus. The store calls are recorded on their
// way to the real store, so the tests see their order.

#include "app/CommandTable.h"
#include "platform/desktop/Bundle.h"
#include "platform/desktop/Log.h"
#include "platform/notifications/Notifications.h"
#include "platform/preferences/Preferences.h"
#include "settings/QuorvellPrefPane.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDBusConnection>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <gtest/gtest.h>

#include <functional>
#include <map>

using quorvell::kSettingsTable;
using quorvell::QuorvellPrefPane;
using quorvell::SettingGroup;

namespace {

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), int(text.size()));
}
const QString kDomain = qs(quorvell::kSettingsDomain);

QString key(std::size_t row)
{
    return qs(kSettingsTable[row].key);
}

std::size_t rowOf(std::string_view k)
{
    for (std::size_t row = 0; row < kSettingsTable.size(); ++row)
        if (kSettingsTable[row].key == k)
            return row;
    ADD_FAILURE() << "no row " << k;
    return 0;
}

// Runs this executable as another process that stores one value and synchronises, or
// prints what it reads after synchronising ("bool:true", "none", "QString:...").
QString inChild(const QStringList& arguments)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), arguments);
    EXPECT_TRUE(child.waitForFinished(10000));
    return QString::fromUtf8(child.readAllStandardOutput()).trimmed();
}
QString readInChild(std::string_view k)
{
    return inChild({QStringLiteral("--read"), qs(k)});
}

// Counts "Preferences Changed" broadcasts on a connection of its own, so a signal sent
// by this process is seen the way another process would see it.
class NotificationListener : public QObject {
    Q_OBJECT

public:
    NotificationListener() : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "listener"))
    {
        EXPECT_TRUE(m_bus.isConnected()) << "tests run on a private session bus";
        using namespace platform::notifications;
        EXPECT_TRUE(m_bus.connect({}, kNotificationPath, kNotificationInterface, kNotificationMember, this,
                                  SLOT(received(QString, QString))));
    }
    ~NotificationListener() override { QDBusConnection::disconnectFromBus("listener"); }

    // The broadcasts seen once `expected` of them have arrived (or 5 s have passed),
    // and the bus has had a moment more to deliver any extra one.
    QStringList settled(int expected)
    {
        for (int waited = 0; m_seen.size() < expected && waited < 5000; waited += 20)
            QTest::qWait(20);
        QTest::qWait(250);
        return m_seen;
    }

public slots:
    void received(const QString& name, const QString& object) { m_seen << name + " / " + object; }

private:
    QDBusConnection m_bus;
    QStringList m_seen;
};

struct Recorder {
    QStringList calls;
    QuorvellPrefPane::Store wrap()
    {
        auto real = QuorvellPrefPane::settingsStore();
        return {[this, real](std::string_view k) {
                    calls << "read " + qs(k);
                    return real.readWithoutSynchronize(k);
                },
                [this, real](std::string_view k, bool v) {
                    calls << QStringLiteral("store %1=%2").arg(qs(k)).arg(v);
                    real.store(k, v);
                },
                [this, real] {
                    calls << QStringLiteral("sync");
                    real.synchronize();
                },
                [this, real] {
                    calls << QStringLiteral("post");
                    real.postChanged();
                }};
    }
};

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
        pane->setStore(recorder.wrap());
        pane->awakeFromNib();
        recorder.calls.clear();
        return pane;
    }
    static QStringList fullSave(const QuorvellPrefPane& pane)
    {
        std::map<int, QString> byPlace;
        for (std::size_t row = 0; row < kSettingsTable.size(); ++row) {
            const bool on = pane.checkbox(row)->checkState() != Qt::Unchecked;
            byPlace[kSettingsTable[row].fullSavePlace] = QStringLiteral("store %1=%2").arg(key(row)).arg(on);
        }
        QStringList calls;
        for (const auto& [place, call] : byPlace) {
            calls << call;
            if (place == quorvell::kFullSaveCommandKeys)
                calls << QStringLiteral("sync");
        }
        return calls << QStringLiteral("sync") << QStringLiteral("post");
    }
    Recorder recorder;
};

}  // namespace

TEST_F(PrefPaneTest, LoadsStoredBooleansAndDefaultsForEverythingElse)
{
    struct Stored {
        std::string_view key;
        QVariant value;
        Qt::CheckState expected;
    };
    const std::vector<Stored> stored{
        {"IncludeContent", false, Qt::Unchecked},       {"ReverseOrder", true, Qt::Checked},
        {"IncludeSubject", qlonglong(0), Qt::Checked},  {"MessageID", QStringLiteral("NO"), Qt::Checked},
        {"UseCommaDelimiter", qlonglong(1), Qt::Unchecked}, {"DontMakeCompletionSound", 1.0, Qt::Unchecked},
    };
    for (const auto& s : stored)
        inChild({QStringLiteral("--write"), qs(s.key),
                 s.value.typeName(), s.value.toString()});
    platform::preferences::appSynchronize(kDomain);

    const auto pane = makePane();
    for (std::size_t row = 0; row < kSettingsTable.size(); ++row) {
        Qt::CheckState expected = kSettingsTable[row].defaultValue ? Qt::Checked : Qt::Unchecked;
        for (const auto& s : stored)
            if (s.key == kSettingsTable[row].key)
                expected = s.expected;
        ASSERT_NE(pane->checkbox(row), nullptr) << key(row).toStdString();
        EXPECT_EQ(pane->checkbox(row)->checkState(), expected) << key(row).toStdString();
    }
    EXPECT_EQ(pane->versionInfoField()->text(), QStringLiteral("Quorvell " QUORVELL_VERSION));
}

TEST_F(PrefPaneTest, LoadReadsEveryKeyOnceInFullSaveOrderWithoutSynchronising)
{
    QuorvellPrefPane pane;
    pane.setStore(recorder.wrap());
    pane.awakeFromNib();
    pane.awakeFromNib();
    std::map<int, QString> byPlace;
    for (std::size_t row = 0; row < kSettingsTable.size(); ++row)
        byPlace[kSettingsTable[row].fullSavePlace] = "read " + key(row);
    QStringList expected;
    for (const auto& [place, call] : byPlace)
        expected << call;
    EXPECT_EQ(recorder.calls, expected);
}

TEST_F(PrefPaneTest, EveryCheckboxIsTitledAfterItsCommandOrOption)
{
    const std::map<std::string_view, QString> others{
        {"IncludeSaveToPDF", "Save as PDF"},
        {"IncludeSaveToRTF", "Save as RTF"},
        {"MakeAsSubmenu", "Show commands in a submenu"},
        {"UseCommaDelimiter", "Separate items with commas"},
        {"ReverseOrder", "Reverse order"},
        {"DontMakeCompletionSound", "Don't play a sound when done"},
    };
    QuorvellPrefPane pane;
    for (std::size_t row = 0; row < kSettingsTable.size(); ++row) {
        QString title = others.count(kSettingsTable[row].key) ? others.at(kSettingsTable[row].key) : QString();
        for (const auto& command : quorvell::menuCommands())
            if (command.key == kSettingsTable[row].key)
                title = qs(command.title);
        ASSERT_NE(pane.checkbox(row), nullptr);
        EXPECT_EQ(pane.checkbox(row)->text(), title) << key(row).toStdString();
    }
}

TEST_F(PrefPaneTest, AClickStoresItsOneKeyAndSynchronisesWithoutAnnouncing)
{
    NotificationListener listener;
    const auto pane = makePane();
    pane->window()->show();
    const std::size_t subject = rowOf("IncludeSubject");
    QCheckBox* box = pane->checkbox(subject);

    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(recorder.calls, QStringList({"store IncludeSubject=0", "sync"}));
    EXPECT_EQ(readInChild("IncludeSubject"), "bool:false");

    recorder.calls.clear();
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_EQ(recorder.calls, QStringList({"store IncludeSubject=1", "sync"}));
    EXPECT_EQ(readInChild("IncludeSubject"), "bool:true");
    EXPECT_EQ(readInChild("IncludeContent"), "none");

    EXPECT_TRUE(listener.settled(0).isEmpty());
}

TEST_F(PrefPaneTest, GroupButtonsStoreTheirGroupInOrderAndLeaveTheRestAlone)
{
    struct Case {
        const char* button;
        SettingGroup group;
        bool on;
    };
    const Case cases[] = {
        {"includeAllTopButton", SettingGroup::Top, true},
        {"includeNoneTopButton", SettingGroup::Top, false},
        {"includeAllBottomButton", SettingGroup::Bottom, true},
        {"includeNoneBottomButton", SettingGroup::Bottom, false},
    };
    NotificationListener listener;
    const auto pane = makePane();
    pane->window()->show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        for (std::size_t row = 0; row < kSettingsTable.size(); ++row)
            pane->checkbox(row)->setCheckState(c.on ? Qt::Unchecked : Qt::Checked);
        recorder.calls.clear();

        QTest::mouseClick(pane->window()->findChild<QPushButton*>(c.button), Qt::LeftButton);

        std::map<int, std::size_t> members;
        for (std::size_t row = 0; row < kSettingsTable.size(); ++row)
            if (kSettingsTable[row].group == c.group)
                members[kSettingsTable[row].groupOrder] = row;
        QStringList expected;
        for (const auto& [order, row] : members)
            expected << QStringLiteral("store %1=%2").arg(key(row)).arg(c.on) << "sync";
        EXPECT_EQ(recorder.calls, expected);
        for (std::size_t row = 0; row < kSettingsTable.size(); ++row) {
            const bool member = kSettingsTable[row].group == c.group;
            EXPECT_EQ(pane->checkbox(row)->checkState() == Qt::Checked, member == c.on) << key(row).toStdString();
        }
        EXPECT_EQ(readInChild(kSettingsTable[members.rbegin()->second].key), c.on ? "bool:true" : "bool:false");
    }
    EXPECT_EQ(readInChild("IncludeSaveToPDF"), "none");
    EXPECT_TRUE(listener.settled(0).isEmpty());
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
        {"an alert's button", [](auto&, auto&) {
             QMessageBox alert(QMessageBox::Warning, "Quorvell", "Alert", QMessageBox::Ok | QMessageBox::Cancel);
             alert.show();
             QTest::mouseClick(alert.button(QMessageBox::Cancel), Qt::LeftButton);
         }, true},
        {"a dialog's close button", [](auto&, auto&) {
             QDialog dialog;
             dialog.show();
             dialog.close();  // rejects, which hides; the close must not count twice
         }, true},
        {"a dialog accepted", [](auto&, auto&) {
             QDialog dialog;
             dialog.show();
             dialog.accept();
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

        EXPECT_EQ(recorder.calls, c.saves ? fullSave(*pane) : QStringList());
        const QStringList seen = listener.settled(c.saves ? 1 : 0);
        if (c.saves) {
            EXPECT_EQ(seen, QStringList{"Preferences Changed / com.brightfold.preference.Quorvell"});
            EXPECT_EQ(readInChild("IncludeSubject"), "bool:false");
            EXPECT_EQ(readInChild("ReverseOrder"), "bool:true");
            EXPECT_EQ(readInChild("IncludeSaveToRTF"), "bool:true");
        }
        else {
            EXPECT_TRUE(seen.isEmpty());
        }
        recorder.calls.clear();
    }
}

TEST_F(PrefPaneTest, TheMixedStateStoresTrue)
{
    const auto pane = makePane();
    const std::size_t row = rowOf("UseCommaDelimiter");
    pane->checkbox(row)->setCheckState(Qt::PartiallyChecked);
    pane->checkboxButtonClicked(row);
    EXPECT_EQ(recorder.calls, QStringList({"store UseCommaDelimiter=1", "sync"}));
    EXPECT_EQ(readInChild("UseCommaDelimiter"), "bool:true");
}

TEST_F(PrefPaneTest, AnotherProcessesChangeHoldsUntilTheNextClose)
{
    const auto pane = makePane();
    const std::size_t subject = rowOf("IncludeSubject");
    inChild({"--write", "IncludeSubject", "bool", "false"});

    EXPECT_FALSE(quorvell::readIncludeSetting("IncludeSubject"));
    EXPECT_EQ(pane->checkbox(subject)->checkState(), Qt::Checked);

    pane->window()->show();
    pane->window()->close();
    EXPECT_EQ(readInChild("IncludeSubject"), "bool:true");
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
        const QStringList fullSaveCalls = recorder.calls;
        pane->includeAllTopButtonClicked();
        pane->includeNoneBottomButtonClicked();

        platform::desktop::setLogSink({});
        platform::desktop::setResourcesDirectoryOverride(std::nullopt);
        EXPECT_TRUE(lines.join('\n').contains(c.logged)) << lines.join('\n').toStdString();
        EXPECT_EQ(fullSaveCalls.filter("store").size(), c.storedKeys);
        EXPECT_EQ(fullSaveCalls.filter("sync").size(), 2);
        recorder.calls.clear();
    }
}

TEST_F(PrefPaneTest, ScreenshotsOfEveryPage)
{
    const auto pane = makePane();
    QWidget* window = pane->window();
    window->show();
    const QDir artifacts(qEnvironmentVariable("QUORVELL_BINARY_DIR", QDir::tempPath()) + "/test-artifacts");
    ASSERT_TRUE(artifacts.mkpath("."));
    for (int page = 0; page < pane->tabView()->count(); ++page) {
        pane->tabView()->setCurrentIndex(page);
        EXPECT_TRUE(window->grab().save(artifacts.filePath(QStringLiteral("preferences-%1.png").arg(page))));
    }
    pane->tabView()->setCurrentIndex(0);
    window->hide();
}

namespace {

// The other process: "--write KEY TYPE VALUE" stores and synchronises;
// "--read KEY" synchronises and prints "type:value" or "none".
int otherProcess(const QStringList& args)
{
    if (args.value(1) == "--write" && args.size() == 5) {
        const QString& type = args[3];
        const QString& text = args[4];
        QVariant value = type == "bool" ? QVariant(text == "true")
                         : type == "qlonglong" ? QVariant(text.toLongLong())
                         : type == "double" ? QVariant(text.toDouble())
                                            : QVariant(text);
        platform::preferences::setAppValue(args[2], value, kDomain);
        return platform::preferences::appSynchronize(kDomain) ? 0 : 1;
    }
    if (args.value(1) == "--read" && args.size() == 3) {
        platform::preferences::appSynchronize(kDomain);
        const auto value = platform::preferences::copyAppValue(args[2], kDomain);
        QTextStream(stdout) << (value ? QStringLiteral("%1:%2").arg(value->typeName(), value->toString())
                                      : QStringLiteral("none"))
                            << '\n';
        return 0;
    }
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && (qstrcmp(argv[1], "--write") == 0 || qstrcmp(argv[1], "--read") == 0)) {
        QCoreApplication app(argc, argv);
        return otherProcess(app.arguments());
    }
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

#include "QuorvellPrefPaneTest.moc"

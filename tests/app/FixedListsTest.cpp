// The lists that stored files, other programs and the user rely on, written out here
// rather than taken from the tables of the code they check: the 25 settings keys with
// their defaults in full-save order, the two group orders of the preferences window,
// its checkbox titles, and the status menu's 19 titles and tool tips. Each is checked
// through what the code does: the store calls it makes and the menu it shows.

#include "app/AppController.h"
#include "settings/QuorvellPrefPane.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"

#include "platform/preferences/Preferences.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>

#include "tests/app/MenuCommands.h"
#include "tests/support/RecordingStore.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quorvell {
namespace {

struct Setting {
    const char* key;
    bool on;            // with nothing stored
    const char* title;  // of its checkbox
};

// In full-save order: places 1-21 are the command keys, 22-25 the options.
const Setting kSettings[] = {
    {"IncludeAddRecipientToAddressBook", true, "Add Recipient to Address Book"},
    {"IncludeAddToAddressBook", true, "Add Sender to Address Book"},
    {"IncludeSaveToPDF", true, "Save as PDF"},
    {"IncludeSaveToRTF", true, "Save as RTF"},
    {"IncludeContent", true, "Copy Content"},
    {"IncludeSource", true, "Copy Source"},
    {"IncludeSubject", true, "Copy Subject"},
    {"IncludeReplyTo", true, "Copy Reply To"},
    {"IncludeSender", true, "Copy Sender"},
    {"IncludeSenderName", true, "Copy Sender Name"},
    {"IncludeSenderAddress", true, "Copy Sender Address"},
    {"IncludeSummary", true, "Copy Summary"},
    {"IncludeRecipient", true, "Copy Recipient"},
    {"IncludeRecipientName", true, "Copy Recipient Name"},
    {"IncludeRecipientAddress", true, "Copy Recipient Address"},
    {"MessageID", true, "Copy Header Message ID"},
    {"MailMessageID", true, "Copy Mail Message ID"},
    {"AllHeaders", true, "Copy All Headers"},
    {"AllHeadersContent", true, "Copy All Headers and Content"},
    {"IncludeDate", true, "Copy Date"},
    {"IncludeTime", true, "Copy Time"},
    {"MakeAsSubmenu", true, "Show commands in a submenu"},
    {"UseCommaDelimiter", false, "Separate items with commas"},
    {"ReverseOrder", false, "Reverse order"},
    {"DontMakeCompletionSound", false, "Don't play a sound when done"},
};

const QStringList kTopGroup = {
    "IncludeContent", "IncludeSubject", "IncludeReplyTo", "IncludeSender", "IncludeSenderName",
    "IncludeSenderAddress", "IncludeRecipient", "IncludeRecipientName", "IncludeRecipientAddress", "MessageID",
    "MailMessageID", "AllHeaders", "AllHeadersContent", "IncludeDate", "IncludeTime", "IncludeSummary",
    "IncludeSource"};
const QStringList kBottomGroup = {"IncludeAddRecipientToAddressBook", "IncludeAddToAddressBook", "MakeAsSubmenu",
                                  "UseCommaDelimiter", "ReverseOrder", "DontMakeCompletionSound"};

// The preferences window over the real store, with its store calls written down.
class FixedListsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString domain = qs(kSettingsDomain);
        for (const Setting& s : kSettings)
            platform::preferences::setAppValue(QString::fromLatin1(s.key), {}, domain);
        ASSERT_TRUE(platform::preferences::appSynchronize(domain));
        m_pane.setStore(recordingStore(m_calls));
    }

    QStringList m_calls;  // outlives the pane, which may store as it ends
    QuorvellPrefPane m_pane;
};

TEST_F(FixedListsTest, TheKeysLoadAndSaveWithTheirDefaultsInFullSaveOrder)
{
    QStringList reads, saves;
    for (const Setting& s : kSettings) {
        reads << QStringLiteral("read %1").arg(s.key);
        saves << QStringLiteral("store %1=%2").arg(s.key).arg(s.on);
        if (saves.size() == 21)
            saves << QStringLiteral("sync");
        EXPECT_EQ(readSettingWithoutSynchronize(s.key), s.on) << s.key;
    }

    m_pane.awakeFromNib();
    m_pane.awakeFromNib();  // loads once
    EXPECT_EQ(m_calls, reads);
    m_calls.clear();
    m_pane.window()->show();
    m_pane.window()->close();
    EXPECT_EQ(m_calls, saves << QStringLiteral("sync") << QStringLiteral("post"));
}

TEST_F(FixedListsTest, EachCheckboxIsTitledAfterTheKeyItStores)
{
    m_pane.awakeFromNib();
    QStringList shown, expected;
    for (const Setting& s : kSettings)
        expected << QStringLiteral("%1 stores %2").arg(s.title, s.key);
    const auto boxes = m_pane.window()->findChildren<QCheckBox*>();
    for (QCheckBox* box : boxes) {
        m_calls.clear();
        box->click();
        const QString key = m_calls.value(0).section(' ', 1).section('=', 0, 0);
        shown << QStringLiteral("%1 stores %2").arg(box->text(), key);
    }
    shown.sort();
    expected.sort();
    EXPECT_EQ(shown, expected);
}

TEST_F(FixedListsTest, GroupButtonsStoreTheirGroupInOrderAndNothingElse)
{
    struct Case {
        const char* button;
        const QStringList& group;
        bool on;
    };
    const Case cases[] = {
        {"includeAllTopButton", kTopGroup, true},
        {"includeNoneTopButton", kTopGroup, false},
        {"includeAllBottomButton", kBottomGroup, true},
        {"includeNoneBottomButton", kBottomGroup, false},
    };
    m_pane.awakeFromNib();
    const auto boxes = m_pane.window()->findChildren<QCheckBox*>();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        for (QCheckBox* box : boxes)
            box->setChecked(!c.on);
        m_calls.clear();
        m_pane.window()->findChild<QPushButton*>(c.button)->click();
        QStringList expected;
        for (const QString& key : c.group)
            expected << QStringLiteral("store %1=%2").arg(key).arg(c.on) << QStringLiteral("sync");
        EXPECT_EQ(m_calls, expected);
        const auto changed = std::count_if(boxes.begin(), boxes.end(), [&](auto* b) { return b->isChecked() == c.on; });
        EXPECT_EQ(changed, c.group.size()) << "checkboxes changed";
    }
}

// The command items of the menu at its next opening: each title, then its tool tip.
QStringList shownCommands(const AppController& controller)
{
    QMenu* menu = controller.menu();
    menu->popup(QPoint(10, 10));
    QStringList shown;
    const auto actions = menu->actions();
    for (const QAction* action : actions) {
        if (!action->isSeparator() && action->data().toInt() >= 0)
            shown << action->text() << action->toolTip();
    }
    menu->hide();
    return shown;
}

TEST_F(FixedListsTest, EachKeyStoredOffHidesTheCommandOfItsTitleAndNothingElse)
{
    const AppController controller;
    EXPECT_EQ(shownCommands(controller), kMenuCommands);
    for (const Setting& s : kSettings) {
        storeSetting(s.key, false);
        synchronizeSettings();
        QStringList expected = kMenuCommands;
        if (const int at = expected.indexOf(QString::fromLatin1(s.title)); at >= 0)
            expected.erase(expected.begin() + at, expected.begin() + at + 2);
        EXPECT_EQ(shownCommands(controller), expected) << s.key;
        storeSetting(s.key, s.on);
    }
}

}  // namespace
}  // namespace quorvell

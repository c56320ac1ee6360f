// The two address book commands end to end: the real script runner and
// interpreter run a stand-in script resource, and the import files its text into a
// real vCard folder.

#include "addressbook/AddressBookImport.h"

#include "BookFolder.h"
#include "ScriptTestEnvironment.h"

#include <gtest/gtest.h>

namespace {

// Two entries, taken in reverse when the runner turns the switch on.
QString entriesScript(const char* first, const char* second)
{
    return QStringLiteral("set reverseOrder to false\n"
                          "set entries to {\"%1\", \"%2\"}\n"
                          "if reverseOrder then set entries to reverse of entries\n"
                          "return (item 1 of entries) & return & linefeed & (item 2 of entries)\n")
        .arg(QString::fromUtf8(first), QString::fromUtf8(second));
}

// The stand-in scripts ignore the selection, but a command runs only with one.
void selectOne(const ScriptTestEnvironment& environment)
{
    environment.select({environment.addMessage(QStringLiteral("1700000000.any.host"), "Subject: any\r\n\r\nx\r\n")});
}

struct CommandCase {
    quorvell::Command command;
    const char* script;
    const char* logLine;
    bool reverse;
    bool commas;
};

TEST(AddressBookCommand, RunsItsScriptAndFilesTheEntriesInOrder)
{
    const CommandCase cases[] = {
        {quorvell::Command::AddToAddressBook, "Mail Sender.applescript", "Adding senders to Address Book...", true,
         true},
        {quorvell::Command::AddRecipientToAddressBook, "Mail Recipient.applescript",
         "Adding recipients to Address Book...", false, false},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.script << (c.reverse ? " reversed" : "") << (c.commas ? " commas" : ""));
        ScriptTestEnvironment environment;
        BookFolder world;
        selectOne(environment);
        ASSERT_TRUE(environment.writeScript(QString::fromUtf8(c.script),
                                            entriesScript("Ann Lee <ann@example.org>", "bob@example.org")));
        ScriptTestEnvironment::setSetting("ReverseOrder", c.reverse);
        // The comma setting plays no part: the list is cut at line breaks.
        ScriptTestEnvironment::setSetting("UseCommaDelimiter", c.commas);

        quorvell::runAddressBookCommand(c.command);

        EXPECT_EQ(world.logLines(), QStringList({QString::fromUtf8(c.logLine), "Parsing sender data..."}));
        EXPECT_EQ(environment.sounds(), QStringList{"Ping"});
        const auto people = world.people();
        ASSERT_EQ(people.size(), 2);
        QStringList byName;
        for (const auto& person : people)
            byName << person.givenName() + QLatin1Char('|') + person.familyName() + QLatin1Char('|')
                    + person.emails().join(u',');
        byName.sort();
        EXPECT_EQ(byName, QStringList({"Ann|Lee|ann@example.org", "bob@example.org||bob@example.org"}));
        const auto groups = world.groups();
        ASSERT_EQ(groups.size(), 1);
        const QString ann = people[0].givenName() == QLatin1String("Ann") ? people[0].uid() : people[1].uid();
        const QString bob = people[0].givenName() == QLatin1String("Ann") ? people[1].uid() : people[0].uid();
        EXPECT_EQ(groups.front().members(), c.reverse ? QStringList({bob, ann}) : QStringList({ann, bob}));
    }
}

TEST(AddressBookCommand, AFailedScriptMakesNoGroup)
{
    ScriptTestEnvironment environment;
    BookFolder world;
    selectOne(environment);
    ASSERT_TRUE(environment.writeScript(QStringLiteral("Mail Sender.applescript"),
                                        QStringLiteral("error \"Mail got an error\"")));
    quorvell::runAddressBookCommand(quorvell::Command::AddToAddressBook);
    // The runner names the failed resource; nothing about parsing or importing follows.
    EXPECT_EQ(world.logLines(), (QStringList{"Adding senders to Address Book...",
                                             "Mail Sender.applescript: execution error at line 1: Mail got an error (-2700)"}));
    EXPECT_TRUE(world.files().isEmpty());
    EXPECT_TRUE(environment.sounds().isEmpty());
}

}  // namespace

// The two address book commands end to end: the real script runner and
// interpreter run the project's script resource over a real Maildir, and the import
// files its text into a real vCard folder.

#include "addressbook/AddressBookImport.h"

#include "BookFolder.h"
#include "ScriptTestEnvironment.h"

#include <gtest/gtest.h>

namespace {

// Two selected messages: Ann Lee writes to Bob, then Bob to Ann Lee. The project's
// own scripts give the senders Ann then Bob, the recipients Bob then Ann.
void selectTwoLetters(const ScriptTestEnvironment& environment)
{
    environment.select(
        {environment.addMessage(QStringLiteral("1700000001.M1.host"),
                                "From: Ann Lee <ann@example.org>\r\nTo: bob@example.org\r\n\r\nx\r\n"),
         environment.addMessage(QStringLiteral("1700000002.M2.host"),
                                "From: bob@example.org\r\nTo: Ann Lee <ann@example.org>\r\n\r\nx\r\n")});
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
        ScriptTestEnvironment::useProjectResources();
        selectTwoLetters(environment);
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
        // The reversed senders and the recipients in order both file Bob first.
        EXPECT_EQ(groups.front().members(), QStringList({bob, ann}));
    }
}

TEST(AddressBookCommand, AFailedScriptMakesNoGroup)
{
    ScriptTestEnvironment environment;
    BookFolder world;
    selectTwoLetters(environment);
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

// Application "Mail" through the engine's dictionary seam: the selection, the
// properties and elements a script reads, and the commands it sends.

#include "MailTestSupport.h"

#include "platform/applescript/Dictionary.h"
#include "platform/applescript/Engine.h"
#include "platform/mail/MailApplication.h"
#include "platform/mail/MailState.h"

#include <QFileInfo>

using mailtest::MailEnvironment;
using platform::applescript::CommandCall;
using platform::applescript::Reply;
using platform::applescript::Value;

namespace {

std::shared_ptr<platform::applescript::Application> mail()
{
    platform::mail::registerMailApplication();
    return platform::applescript::findApplication(QStringLiteral("mail"));
}

const QByteArray kMessage = "From: \"Lee, Ann\" <ann@example.org>\n"
                            "To: Bob Roe <bob@example.org>, carl@example.org\n"
                            "Cc: =?UTF-8?Q?Zo=C3=AB?= <zoe@example.org>\n"
                            "Subject: Plans\nMessage-ID: <plans-1@example.org>\n"
                            "Date: Mon, 08 Dec 2025 11:20:00 +0000\n\nSee you at ten.\n";

// A mailbox with one selected message; answers the selection as the script sees it.
struct Selected {
    MailEnvironment env;
    Value selection;
    Selected()
    {
        env.addMessage({}, QStringLiteral("1765188000.M1.x:2,FS"), kMessage);
        env.addMessage(QStringLiteral("Sent"), QStringLiteral("1765188001.M2.x:2,S"),
                       "Bcc: b@x.org\nCc: c@x.org\nSubject: second\nTo: t@x.org\nCc: d@x.org\n\nx\n");
        EXPECT_TRUE(platform::mail::MailState().writeSelection({"1765188000.M1.x", "1765188001.M2.x"}));
        const Reply reply = mail()->property(QStringLiteral("selection"));
        EXPECT_TRUE(reply.ok());
        selection = reply.value();
    }
    // Made afresh by each read of the list: the caller holds it.
    [[nodiscard]] std::shared_ptr<platform::applescript::Object> message(int i) const
    {
        return selection.items().at(i).object();
    }
};

// What a person's own script reads, run through the engine against the Maildir,
// from the selection in its order to an empty one.
TEST(MailDictionary, ScriptsReachTheSelectionMailboxesMessagesAndTheirParts)
{
    Selected s;
    struct Row {
        const char* script;  // inside tell application "Mail"
        const char* result;
    };
    const Row rows[] = {
        {"count of (get selection)", "2"},
        {"subject of item 2 of (get selection)", "second"},
        {"name of mailbox of item 2 of (get selection)", "Sent"},
        {"name of every mailbox", "INBOX,Sent"},
        {"count messages of inbox", "1"},
        {"subject of first message of mailbox \"sent\" whose subject contains \"SEC\"", "second"},
        {"{sender of m1, reply to of m1, message id of m1, content of m1, flagged status of m1, read status of m1}",
         "Lee, Ann <ann@example.org>,,plans-1@example.org,See you at ten.,true,true"},
        {"(date sent of message 1 of mailbox \"Sent\") is missing value", "true"},
        // Raw mail held as UTF-8 joins, grows and reads as any other text.
        {"{content of m1, 2.5, \"Zoë\", length of (all headers of m1)}", "See you at ten.,2.5,Zoë,212"},
        {"(content of m1) & \" – \" & 2 & {word 2 of (source of m1)}", "See you at ten. – 2Lee"},
        {"{length of content of m1, (content of m1) ends with \"TEN.\", \"x\" & character 3 of content of m1}",
         "15,true,xe"},
        {"message size of message 1 of inbox", "230"},  // kMessage.size()
        {"address of every recipient of message 1 of inbox", "bob@example.org,carl@example.org,zoe@example.org"},
        {"address of every recipient of message 1 of mailbox \"Sent\"", "t@x.org,c@x.org,d@x.org,b@x.org"},
        {"name of cc recipients of message 1 of inbox", "Zoë"},
        {"content of header \"to\" of message 1 of inbox", "Bob Roe <bob@example.org>, carl@example.org"},
        {"(id of message 1 of inbox) = (id of item 1 of (get selection))", "true"},
        {"(id of message 1 of inbox) = (id of message 1 of mailbox \"Sent\")", "false"},
        {"subject of message id (id of item 2 of (get selection)) of mailbox \"Sent\"", "second"},
        {"{extract name from \"Ann Lee <ann@example.org>\", extract address from \"Ann Lee <ann@example.org>\"}",
         "Ann Lee,ann@example.org"},
        {"{extract name from \"\\\"Lee, Ann\\\" <a@x.org>\", extract address from \"\\\"Lee, Ann\\\" <a@x.org>\"}",
         "Lee, Ann,a@x.org"},
        {"{extract name from \"Lee, Ann <a@x.org>\", extract address from \"Lee, Ann <a@x.org>\"}", "Lee, Ann,a@x.org"},
        {"{extract name from \"a@x.org\", extract address from \"a@x.org\"}", "a@x.org,a@x.org"},
        {"{extract name from \"=?ISO-8859-1?Q?J=FCrgen?= <j@x.de>\", "
         "extract address from \"=?ISO-8859-1?Q?J=FCrgen?= <j@x.de>\"}",
         "Jürgen,j@x.de"},
        {"{extract name from \"  \", extract address from \"  \"}", ","},
        {"extract address from \"Ann <a@bücher.example>\"", "a@bücher.example"},
    };
    // Headers and attachments give no message an id: only asking for one writes
    // the ids file.
    (void)platform::applescript::runScript(QStringLiteral(
        "tell application \"Mail\" to {content of every header of message 1 of inbox, "
        "name of every mail attachment of message 1 of inbox}"));
    EXPECT_FALSE(QFileInfo::exists(s.env.stateDir() + QStringLiteral("/ids")));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.script);
        const auto outcome = platform::applescript::runScript(
            QStringLiteral("set AppleScript's text item delimiters to \",\"\ntell application \"Mail\"\n"
                           "set m1 to message 1 of inbox\nset r to ")
            + QString::fromUtf8(row.script) + QStringLiteral("\nend tell\nr as text"));
        ASSERT_TRUE(outcome.value) << outcome.error.message.toStdString();
        EXPECT_EQ(outcome.value->text().toStdString(), row.result);
    }
    EXPECT_EQ(s.message(0)->className(), QStringLiteral("message"));
    ASSERT_TRUE(platform::mail::MailState().writeSelection({}));
    EXPECT_TRUE(mail()->property(QStringLiteral("selection")).value().items().empty());
}

// A long selection is read ahead of the script's loop: whatever order the script
// takes, it reads each file as it is when the script asks, and a message changed
// between two runs shows its new state.
TEST(MailDictionary, LongSelectionsReadEveryFileAsItIsNow)
{
    MailEnvironment env;
    QStringList names;
    QStringList paths;
    for (int i = 0; i < 60; ++i) {
        names << QStringLiteral("17651880%1.M%1.x").arg(i, 2, 10, QLatin1Char('0'));
        paths << env.addMessage({}, names.last() + QStringLiteral(":2,S"), "Subject: s" + QByteArray::number(i) + "\n\nb\n");
    }
    ASSERT_TRUE(platform::mail::MailState().writeSelection(names));
    const auto run = [](const QString& script) {
        const auto outcome = platform::applescript::runScript(
            QStringLiteral("set AppleScript's text item delimiters to \",\"\nset r to {}\ntell application \"Mail\"\n"
                           "set theMessages to selection\n")
            + script + QStringLiteral("\nend tell\nr as text"));
        return outcome.value ? outcome.value->text() : outcome.error.message;
    };
    const QString loop = QStringLiteral("repeat with m in theMessages\nset end of r to subject of m\nend repeat");
    QStringList subjects;
    for (int i = 0; i < 60; ++i)
        subjects << QStringLiteral("s%1").arg(i);
    EXPECT_EQ(run(loop), subjects.join(QLatin1Char(',')));
    QStringList reversed(subjects.rbegin(), subjects.rend());
    EXPECT_EQ(run(QStringLiteral("set theMessages to reverse of theMessages\n") + loop), reversed.join(QLatin1Char(',')));
    EXPECT_EQ(run(QStringLiteral("repeat with i in {50, 3, 49, 4, 4}\nset end of r to subject of item i of theMessages\n"
                                 "end repeat\nset end of r to source of item 4 of theMessages")),
              QStringLiteral("s49,s2,s48,s3,s3,Subject: s3\n\nb\n"));

    QFile changed(paths.at(7));
    ASSERT_TRUE(changed.open(QIODevice::WriteOnly | QIODevice::Truncate));
    changed.write("Subject: changed\n\nb\n");
    changed.close();
    subjects[7] = QStringLiteral("changed");
    EXPECT_EQ(run(loop), subjects.join(QLatin1Char(',')));
}

TEST(MailDictionary, SaveWritesTheMessageAndAnswersItsPath)
{
    Selected s;
    QTemporaryDir folder;
    auto app = mail();
    CommandCall call{QStringLiteral("save"), true, s.selection.items().at(0),
                     {{QStringLiteral("in"), Value(folder.path())}, {QStringLiteral("as"), Value("rtf")}}};
    const Reply saved = app->command(call);
    ASSERT_TRUE(saved.ok()) << saved.errorMessage().toStdString();
    const QString path = saved.value().text();
    EXPECT_TRUE(path.startsWith(folder.path()));
    EXPECT_TRUE(QFileInfo(path).isFile());
    EXPECT_TRUE(mailtest::readFile(path).startsWith("{\\rtf"));

    struct Bad {
        const char* why;
        CommandCall call;
        int number;
    };
    const Bad bad[] = {
        {"no message", {QStringLiteral("save"), true, Value("text"), {{QStringLiteral("in"), Value(folder.path())}}},
         -1728},
        {"no folder", {QStringLiteral("save"), true, s.selection.items().at(0), {}}, -1703},
        {"folder that cannot exist",
         {QStringLiteral("save"), true, s.selection.items().at(0),
          {{QStringLiteral("in"), Value(QStringLiteral("/proc/no/such/folder"))}, {QStringLiteral("as"), Value("PDF")}}},
         -1728},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.why);
        const Reply reply = app->command(b.call);
        EXPECT_EQ(reply.errorNumber(), b.number);
        EXPECT_FALSE(reply.errorMessage().isEmpty());
    }
    EXPECT_EQ(app->command({QStringLiteral("fly"), false, {}, {}}).errorNumber(), -1708);
    // Sent to the message itself (tell theMessage to save in ...).
    CommandCall toMessage{QStringLiteral("save"), false, {},
                          {{QStringLiteral("in"), Value(folder.path())}, {QStringLiteral("as"), Value("RTF")}}};
    const Reply second = s.message(0)->command(toMessage);
    ASSERT_TRUE(second.ok()) << second.errorMessage().toStdString();
    EXPECT_NE(second.value().text(), path) << "an existing file is never overwritten";
    EXPECT_TRUE(QFileInfo(second.value().text()).isFile());
}

}  // namespace

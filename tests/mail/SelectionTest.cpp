// The selection file knows its mailbox and finds its messages again: read by a
// process whose environment names no mailbox, after flag changes, refiles and new
// deliveries, and with messages deleted in between.

#include "MailTestSupport.h"

#include "platform/mail/MailState.h"
#include "platform/mail/SelectionFile.h"
#include "tests/support/ToolRun.h"

using mailtest::MailEnvironment;
using platform::mail::MailState;
using platform::mail::SelectedMessage;
using platform::mail::SelectionRecord;

namespace {

QString tool(const char* name)
{
    return qEnvironmentVariable("QUORVELL_BINARY_DIR") + QStringLiteral("/tools/%1/%1").arg(QLatin1String(name));
}

QStringList subjects(const QVector<platform::mail::MessageLocation>& messages)
{
    QStringList result;
    for (const auto& location : messages)
        result.append(platform::mail::MailMessage(location).subject());
    return result;
}

QByteArray message(const char* subject, const char* id)
{
    return QByteArray("Subject: ") + subject + "\nMessage-ID: <" + id + ">\n\nx\n";
}

TEST(SelectionFile, ReadsTheFirstFormatAndKeepsEveryFieldOfTheSecond)
{
    const SelectionRecord first = platform::mail::parseSelection("# old\n 1.M1.x \n\n2.M2.x\n");
    EXPECT_EQ(first.version, 1);
    EXPECT_TRUE(first.root.isEmpty());
    ASSERT_EQ(first.messages.size(), 2);
    EXPECT_EQ(first.messages.at(0).uniqueName, QStringLiteral("1.M1.x"));

    const SelectionRecord odd{2, QStringLiteral("maildir"), QStringLiteral("/home/a\tb/Mail\\dir"),
                              {{QStringLiteral("3.M3.x"), QStringLiteral(".Sent/cur/3.M3.x:2,S"), QStringLiteral("a@b")},
                               {QStringLiteral("4\n.M4"), {}, {}}}};
    const SelectionRecord back = platform::mail::parseSelection(platform::mail::formatSelection(odd));
    EXPECT_EQ(back.root, odd.root);
    ASSERT_EQ(back.messages.size(), 2);
    EXPECT_EQ(back.messages.at(0).location, odd.messages.at(0).location);
    EXPECT_EQ(back.messages.at(0).messageId, QStringLiteral("a@b"));
    EXPECT_EQ(back.messages.at(1).uniqueName, QStringLiteral("4\n.M4"));
    // A later version's extra fields are passed over.
    EXPECT_EQ(platform::mail::parseSelection("# quorvell selection 3\nsource\tmaildir\t/m\tmore\n5.M5.x\tcur/5\tid\tnew\n")
                  .messages.at(0).messageId, QStringLiteral("id"));

    // Commands read the file compactly, and must read every file alike.
    // (Sized by the literal: one of them holds a NUL byte.)
    const auto bytes = [](const auto& literal) { return QByteArray(literal, int(sizeof literal) - 1); };
    const QByteArray files[] = {
        "# old\n 1.M1.x \n\n2.M2.x\n",
        platform::mail::formatSelection(odd),
        "# quorvell selection 3\nsource\tmaildir\t/m\tmore\n5.M5.x\tcur/5\tid\tnew\n",
        bytes("# quorvell selection 2\r\nsource\tmaildir\r\n\t\t\n6.M\xc3\xbc\\\\x\tcur/6\\t\ta\\nb\r\n"
              "7\\0.M7\tc\0d\t\xff\n"),
        bytes(" \xc2\xa0" "8.M8.x\xc2\xa0\n\xe2\x80\x83\n9.M9\xff\n\f#c\n1\0.M1\n"),
    };
    for (const QByteArray& text : files) {
        SCOPED_TRACE(text.toStdString());
        const SelectionRecord plain = platform::mail::parseSelection(text);
        const auto compact = platform::mail::CompactSelection::parse(text);
        EXPECT_EQ(compact.version, plain.version);
        EXPECT_EQ(compact.sourceKind, plain.sourceKind);
        EXPECT_EQ(compact.root, plain.root);
        const QVector<platform::mail::SelectedMessage> messages = compact.messages.all();
        ASSERT_EQ(messages.size(), plain.messages.size());
        for (qsizetype i = 0; i < messages.size(); ++i) {
            EXPECT_EQ(messages.at(i).uniqueName, plain.messages.at(i).uniqueName) << i;
            EXPECT_EQ(messages.at(i).location, plain.messages.at(i).location) << i;
            EXPECT_EQ(messages.at(i).messageId, plain.messages.at(i).messageId) << i;
        }
    }
}

// As an app started by the session bus: no MAILDIR, no ~/Maildir, while the
// selection was made from a shell with MAILDIR set.
TEST(Selection, AReaderWithoutMaildirReadsTheSelectionsMailbox)
{
    MailEnvironment env;
    env.addMessage({}, QStringLiteral("100.M1.x:2,S"), message("first", "one@x"));
    env.addMessage(QStringLiteral("Sent"), QStringLiteral("200.M2.x:2,S"), message("sent", "two@x"));
    const ToolRun select = runTool(tool("quorvell-mail"), {"select", "200.M2.x", "<one@x>"});
    ASSERT_EQ(select.status, 0) << select.err.toStdString();

    qunsetenv("MAILDIR");
    QTemporaryDir otherHome;
    qputenv("HOME", otherHome.path().toUtf8());
    qputenv("XDG_STATE_HOME", (env.home() + QStringLiteral("/state")).toUtf8());
    const MailState::Read read = MailState().read();
    EXPECT_EQ(read.mailbox.root, env.maildir());
    EXPECT_EQ(subjects(read.messages->all()), (QStringList{"sent", "first"}));
    const ToolRun script = runTool(tool("quorvell-script"),
                                   {mailtest::sourceDir() + QStringLiteral("/resources/Mail Subject.applescript")});
    EXPECT_EQ(script.out, QStringLiteral("sent\nfirst\n")) << script.err.toStdString();
    const ToolRun shown = runTool(tool("quorvell-mail"), {"selection"});
    EXPECT_TRUE(shown.out.contains(QStringLiteral("\tsent\n"))) << shown.out.toStdString();
    EXPECT_TRUE(shown.err.contains(QStringLiteral("the selection was made in ") + env.maildir())) << shown.err.toStdString();
}

TEST(Selection, MovedMessagesAreFoundAgainAndGoneOnesCounted)
{
    MailEnvironment env;
    const QString flagged = env.addMessage({}, QStringLiteral("100.M1.x:2,S"), message("flagged", "1@x"));
    const QString refiled = env.addMessage({}, QStringLiteral("200.M2.x:2,S"), message("refiled", "2@x"));
    const QString delivered = env.addMessage({}, QStringLiteral("300.M3.x"), message("delivered anew", "3@x"), "new");
    const QString deleted = env.addMessage({}, QStringLiteral("400.M4.x:2,S"), message("deleted", "4@x"));
    env.addMessage(QStringLiteral("Archive"), QStringLiteral("50.M0.x:2,S"), message("other", "0@x"));
    ASSERT_TRUE(MailState().writeSelection({"400.M4.x", "300.M3.x", "200.M2.x", "100.M1.x"}));

    ASSERT_TRUE(QFile::rename(flagged, env.maildir() + QStringLiteral("/cur/100.M1.x:2,FS")));
    ASSERT_TRUE(QFile::rename(refiled, env.maildir() + QStringLiteral("/.Archive/cur/200.M2.x:2,S")));
    ASSERT_TRUE(QFile::remove(delivered));
    env.addMessage(QStringLiteral("Archive"), QStringLiteral("900.M9.other:2,S"), message("delivered anew", "3@x"));
    ASSERT_TRUE(QFile::remove(deleted));

    for (int run = 0; run < 2; ++run) {  // the second from the Message-ID index
        SCOPED_TRACE(run);
        const MailState::Read read = MailState().read();
        EXPECT_EQ(subjects(read.messages->all()), (QStringList{"delivered anew", "refiled", "flagged"}));
        EXPECT_EQ(read.selected, 4);
        EXPECT_EQ(read.gone(), 1);
    }
    const ToolRun shown = runTool(tool("quorvell-mail"), {"selection"});
    EXPECT_TRUE(shown.err.contains(QStringLiteral("1 of 4 selected messages is no longer in the mailbox")))
        << shown.err.toStdString();
}

}  // namespace

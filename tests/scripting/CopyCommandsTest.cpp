// The seventeen copy commands: each over a stand-in script of the test's own that
// names itself and shows the reverse-order switch, then over the project's real
// scripts and a real Maildir.

#include "ScriptTestEnvironment.h"

#include "app/CommandTable.h"
#include "scripting/CopyCommands.h"

#include "platform/mail/MailState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

using quorvell::Command;

namespace {

enum class Expect { Runner, Names, Addresses };

// What each command must do, as a user sees it.
struct CopyCase {
    Command command;
    const char* script;
    bool commasApply;
    Expect clipboard;
};

const CopyCase kCases[] = {
    {Command::CopyContent, "Mail Content.applescript", false, Expect::Runner},
    {Command::CopySubject, "Mail Subject.applescript", true, Expect::Runner},
    {Command::CopyReplyTo, "Mail Reply To.applescript", true, Expect::Runner},
    {Command::CopySender, "Mail Sender.applescript", true, Expect::Runner},
    {Command::CopySenderName, "Mail Sender.applescript", true, Expect::Names},
    {Command::CopySenderAddress, "Mail Sender.applescript", true, Expect::Addresses},
    {Command::CopyRecipient, "Mail Recipient.applescript", true, Expect::Runner},
    {Command::CopyRecipientName, "Mail Recipient Name.applescript", true, Expect::Runner},
    {Command::CopyRecipientAddress, "Mail Recipient Address.applescript", true, Expect::Runner},
    {Command::CopySource, "Mail Source.applescript", false, Expect::Runner},
    {Command::CopyMessageID, "Mail Message ID.applescript", true, Expect::Runner},
    {Command::CopyMailMessageID, "Mail Mail Message ID.applescript", true, Expect::Runner},
    {Command::CopyAllHeaders, "Mail All Headers.applescript", false, Expect::Runner},
    {Command::CopyAllHeadersContent, "Mail All Headers Content.applescript", false, Expect::Runner},
    {Command::CopyDate, "Mail Date.applescript", true, Expect::Runner},
    {Command::CopyTime, "Mail Time.applescript", true, Expect::Runner},
    {Command::CopySummary, "Mail Summary.applescript", false, Expect::Runner},
};

// A stand-in script: two entries, the first named after the script, joined by a
// CR LF and taken in reverse when the switch is on.
QString standInScript(const QString& name)
{
    return QStringLiteral("set reverseOrder to false\n"
                          "set entries to {\"%1 <ann@example.org>\", \"bob@example.org\"}\n"
                          "if reverseOrder then set entries to reverse of entries\n"
                          "return (item 1 of entries) & return & linefeed & (item 2 of entries)\n")
        .arg(name);
}

QString expectedText(const CopyCase& c, bool reverse, bool commas)
{
    const bool joined = commas && c.commasApply;
    const QString name = QString::fromLatin1(c.script);
    QStringList entries{c.clipboard == Expect::Names       ? name
                            : c.clipboard == Expect::Addresses ? QStringLiteral("ann@example.org")
                                                               : name + QStringLiteral(" <ann@example.org>"),
                        QStringLiteral("bob@example.org")};
    if (reverse)
        std::reverse(entries.begin(), entries.end());
    if (joined)
        return entries.join(QLatin1Char(','));
    return entries.join(c.clipboard == Expect::Runner ? QStringLiteral("\r\n") : QStringLiteral("\n"));
}

class CopyCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(env.isValid());
        for (const quorvell::CommandRow& row : quorvell::kCommandTable) {
            const QString name = QString::fromUtf8(row.script.data(), static_cast<qsizetype>(row.script.size()));
            ASSERT_TRUE(env.writeScript(name, standInScript(name)));
        }
        // The stand-ins ignore the selection, but a command runs only with one.
        env.select({env.addMessage(QStringLiteral("1700000000.M0P1.test"), "Subject: any\r\n\r\nx\r\n")});
    }

    ScriptTestEnvironment env;
};

TEST_F(CopyCommandsTest, EveryCommandRunsItsScriptWithItsOptions)
{
    qsizetype plays = 0;
    for (const bool silent : {false, true}) {
        ScriptTestEnvironment::setSetting("DontMakeCompletionSound", silent);
        for (const bool reverse : {false, true}) {
            ScriptTestEnvironment::setSetting("ReverseOrder", reverse);
            for (const bool commas : {false, true}) {
                ScriptTestEnvironment::setSetting("UseCommaDelimiter", commas);
                for (const CopyCase& c : kCases) {
                    SCOPED_TRACE(testing::Message() << quorvell::commandRow(c.command).action << " reverse="
                                                    << reverse << " commas=" << commas << " silent=" << silent);
                    ScriptTestEnvironment::setClipboardText(QStringLiteral("before"));
                    quorvell::runCopyCommand(c.command);
                    EXPECT_EQ(ScriptTestEnvironment::clipboardText(), expectedText(c, reverse, commas));
                    if (!silent)
                        ++plays;
                    EXPECT_EQ(env.sounds().size(), plays);
                }
            }
        }
    }
    // Once for each sender name or address run of the eight settings above.
    EXPECT_EQ(env.logLines().count(QStringLiteral("Parsing sender data...")), 16);
}

// A failing script: the clipboard keeps what it held, nothing plays, and the
// sender commands never start parsing.
TEST_F(CopyCommandsTest, FailingScriptLeavesEverythingAsItWas)
{
    for (const CopyCase& c : kCases)
        ASSERT_TRUE(env.writeScript(QString::fromLatin1(c.script), QStringLiteral("error \"Mail got an error\"")));
    for (const CopyCase& c : kCases) {
        SCOPED_TRACE(std::string(quorvell::commandRow(c.command).action));
        ScriptTestEnvironment::setClipboardText(QStringLiteral("before"));
        quorvell::runCopyCommand(c.command);
        EXPECT_EQ(ScriptTestEnvironment::clipboardText(), QStringLiteral("before"));
    }
    EXPECT_TRUE(env.sounds().isEmpty());
    EXPECT_FALSE(env.logLines().contains(QStringLiteral("Parsing sender data...")));
}

// Nothing to work on: the command ends before its script, the clipboard keeps
// what the person had, nothing plays, and the log says why.
TEST_F(CopyCommandsTest, NothingSelectedLeavesTheClipboardAndSaysSo)
{
    const QString maildir = qEnvironmentVariable("MAILDIR");
    const QString missing = env.path(QStringLiteral("no-such-maildir"));
    struct Case {
        const char* name;
        std::function<void()> arrange;
        QString logLine;
    };
    const Case cases[] = {
        {"empty selection", [&] { env.select({}); }, QStringLiteral("No messages selected")},
        {"every selected file gone",
         [&] {
             env.select({env.addMessage(QStringLiteral("1700000009.M9P1.test"), "Subject: gone\r\n\r\nx\r\n")});
             ASSERT_TRUE(QFile::remove(maildir + QStringLiteral("/cur/1700000009.M9P1.test:2,S")));
         },
         QStringLiteral("1 of 1 selected messages is no longer in the mailbox")},
        {"the selection's mailbox is gone",
         [&] {
             ASSERT_TRUE(platform::mail::MailState().writeRecord({2, QStringLiteral("maildir"), missing, {{"1.M1.x", {}, {}}}}));
         },
         QStringLiteral("No mailbox: the selection's mailbox %1 no longer exists").arg(missing)},
        {"MAILDIR names no Maildir, no selection made",
         [&] {
             qputenv("MAILDIR", missing.toUtf8());
             QFile::remove(env.path(QStringLiteral("state/quorvell/mail/selection")));
         },
         QStringLiteral("No mailbox: MAILDIR names %1, which does not exist").arg(missing)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        for (const Command command : {Command::CopySubject, Command::CopyContent, Command::CopySummary,
                                      Command::CopySenderAddress}) {
            ScriptTestEnvironment::setClipboardText(QStringLiteral("the person's own text"));
            quorvell::runCopyCommand(command);
            EXPECT_EQ(ScriptTestEnvironment::clipboardText(), QStringLiteral("the person's own text"));
            EXPECT_EQ(env.logLines().last(), c.logLine);
        }
        qputenv("MAILDIR", maildir.toUtf8());
    }
    EXPECT_TRUE(env.sounds().isEmpty());
}

// The project's own scripts over a real Maildir and selection.
class CopyCommandsEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(env.isValid());
        ScriptTestEnvironment::useProjectResources();
        for (const char* script : {"Mail Subject.applescript", "Mail Sender.applescript"}) {
            if (!QFileInfo::exists(qEnvironmentVariable("QUORVELL_SOURCE_DIR") + QStringLiteral("/resources/")
                                   + QString::fromLatin1(script)))
                GTEST_SKIP() << script << " is not in resources/ yet";
        }
        const char* const messages[][3] = {
            {"1700000001.M1P1.test", "\"Lee, Ann\" <ann@example.org>", "Quarterly report"},
            {"1700000002.M2P1.test", "bob@example.org", "Re: lunch, Friday?"},
            {"1700000003.M3P1.test", "=?UTF-8?Q?J=C3=B6rg_M=C3=BCller?= <joerg@example.de>", "Grüße"},
        };
        QStringList names;
        int n = 0;
        for (const auto& m : messages) {
            const QByteArray subject = QString::fromUtf8(m[2]).toUtf8();
            const QByteArray raw = "From: " + QByteArray(m[1]) + "\r\nTo: me@example.org\r\nSubject: "
                                   + (subject.contains("\xc3") ? QByteArray("=?UTF-8?B?") + subject.toBase64() + "?="
                                                               : subject)
                                   + "\r\nDate: Mon, 6 Nov 2023 10:0" + QByteArray::number(n++)
                                   + ":00 +0000\r\nMessage-ID: <" + QByteArray(m[0]) + "@example.org>\r\n"
                                   + "Content-Type: text/plain; charset=utf-8\r\n\r\nBody.\r\n";
            names << env.addMessage(QString::fromLatin1(m[0]), raw);
        }
        env.select(names);
    }

    static QStringList clipboardLines()
    {
        QString text = ScriptTestEnvironment::clipboardText().value_or(QStringLiteral("<nothing>"));
        text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        if (text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        return text.split(QLatin1Char('\n'));
    }

    ScriptTestEnvironment env;
};

// Nothing read for one command may show in the next: a message rewritten in place,
// one renamed by a flag change and one deleted between two runs of each command;
// the deleted one is told once per command, the renamed one found again also
// when it is refiled under a new name.
TEST_F(CopyCommandsEndToEndTest, EachCommandSeesTheMailboxAsItIsThen)
{
    quorvell::runCopyCommand(Command::CopySubject);
    quorvell::runCopyCommand(Command::CopyContent);
    const QString cur = env.path(QStringLiteral("Maildir/cur/"));
    ASSERT_TRUE(QFile::rename(cur + QStringLiteral("1700000001.M1P1.test:2,S"),
                              cur + QStringLiteral("1700000001.M1P1.test:2,RS")));
    ASSERT_TRUE(QFile::remove(cur + QStringLiteral("1700000003.M3P1.test:2,S")));
    env.addMessage(QStringLiteral("1700000002.M2P1.test"),
                   "From: bob@example.org\nSubject: Lunch moved to Monday\n\nSee you then.\n");

    const QString gone = QStringLiteral("1 of 3 selected messages is no longer in the mailbox");
    quorvell::runCopyCommand(Command::CopySubject);
    EXPECT_EQ(clipboardLines(), (QStringList{QStringLiteral("Quarterly report"), QStringLiteral("Lunch moved to Monday")}));
    EXPECT_EQ(env.logLines().count(gone), 1) << "told once per command";
    quorvell::runCopyCommand(Command::CopyContent);
    EXPECT_EQ(clipboardLines(), (QStringList{QStringLiteral("Body."), QString(40, QLatin1Char('-')), QStringLiteral("See you then.")}));
    EXPECT_EQ(env.logLines().count(gone), 2);

    // Refiled as a mail client saves to a folder: a new file under a new name.
    QDir().mkpath(env.path(QStringLiteral("Maildir/.Archive/cur")));
    ASSERT_TRUE(QFile::rename(cur + QStringLiteral("1700000001.M1P1.test:2,RS"),
                              env.path(QStringLiteral("Maildir/.Archive/cur/1700000100.M7P9.test:2,RS"))));
    quorvell::runCopyCommand(Command::CopySubject);
    EXPECT_EQ(clipboardLines(), (QStringList{QStringLiteral("Quarterly report"), QStringLiteral("Lunch moved to Monday")}));
}

}  // namespace

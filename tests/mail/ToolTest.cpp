// quorvell-mail, run as a user runs it: the selection it writes, what it prints,
// and its errors.

#include "MailTestSupport.h"

#include "platform/mail/MailState.h"
#include "tests/support/ToolRun.h"

#include <QProcess>

#include <sys/stat.h>

using mailtest::MailEnvironment;
using mailtest::readFile;

namespace {

ToolRun quorvellMail(const QStringList& arguments, const QByteArray& input = {})
{
    return runTool(qEnvironmentVariable("QUORVELL_BINARY_DIR") + QStringLiteral("/tools/quorvell-mail/quorvell-mail"),
                   arguments, input);
}

class MailTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_first = env.addMessage({}, QStringLiteral("100.M1.x:2,S"),
                                 "From: Ann <ann@example.org>\nSubject: first\nMessage-ID: <one@example.org>\n\nx\n");
        env.addMessage({}, QStringLiteral("200.M2.x"), "Subject: second\nMessage-ID: two-no-at\n\nx\n", "new");
        env.addMessage({}, QStringLiteral("300.M3.x:2,S"), "Subject: third\tand tab\n\nx\n");
        env.addMessage(QStringLiteral("Sent"), QStringLiteral("400.M4.x:2,S"), "Subject: sent one\n\nx\n");
    }

    static QStringList selected() { return platform::mail::MailState().storedSelection().value_or(QStringList{"<none>"}); }

    MailEnvironment env;
    QString m_first;
};

TEST_F(MailTool, SelectTakesFilesUniqueNamesAndMessageIds)
{
    const ToolRun run = quorvellMail({"select", "<one@example.org>", "400.M4.x", "two-no-at", m_first});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(selected(), (QStringList{"100.M1.x", "400.M4.x", "200.M2.x"})) << "in order, each once";

    EXPECT_EQ(quorvellMail({"select", "one@example.org"}).status, 0);
    EXPECT_EQ(selected(), QStringList{"100.M1.x"});
}

TEST_F(MailTool, UnknownMessagesChangeNothing)
{
    ASSERT_EQ(quorvellMail({"select", "300.M3.x"}).status, 0);
    QFile outside(env.home() + QStringLiteral("/stray.eml"));
    ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
    outside.close();
    const ToolRun run = quorvellMail({"select", "100.M1.x", "<nobody@example.org>", outside.fileName()});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("<nobody@example.org>"))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("stray.eml"))) << run.err.toStdString();
    EXPECT_EQ(selected(), QStringList{"300.M3.x"});
}

TEST_F(MailTool, SelectLastTakesTheNewestOfAFolderAndMisuseChangesNothing)
{
    struct Row {
        QStringList arguments;
        int status;
        QStringList selection;
        const char* error = "";  // part of what standard error must say
    };
    const Row rows[] = {
        {{"select", "--folder", "inbox", "--last", "2"}, 0, {"200.M2.x", "300.M3.x"}},
        {{"select", "--last", "9", "--folder", "Sent"}, 0, {"400.M4.x"}},
        {{"select", "--folder", "Drafts", "--last", "2"}, 1, {"400.M4.x"}, "Drafts"},
        {{"select", "--folder", "INBOX", "--last", "many"}, 2, {"400.M4.x"}, "\"many\""},
        {{"select", "--folder", "INBOX", "--last", "0"}, 2, {"400.M4.x"}, "\"0\""},
        {{"select", "--folder", "INBOX"}, 2, {"400.M4.x"}, "--last N"},
        {{"select", "--last", "2"}, 2, {"400.M4.x"}, "--folder NAME"},
        // Wrong usage of any command changes nothing either.
        {{}, 2, {"400.M4.x"}, "usage: "},
        {{"select"}, 2, {"400.M4.x"}, "quorvell-mail: "},
        {{"frobnicate"}, 2, {"400.M4.x"}, "\"frobnicate\""},
        {{"list", "extra"}, 2, {"400.M4.x"}, "\"extra\""},
        {{"clear", "x"}, 2, {"400.M4.x"}, "\"x\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.join(QLatin1Char(' ')).toStdString());
        const ToolRun run = quorvellMail(row.arguments);
        EXPECT_EQ(run.status, row.status) << run.err.toStdString();
        EXPECT_EQ(selected(), row.selection);
        EXPECT_TRUE(run.err.contains(QLatin1String(row.error))) << run.err.toStdString();
    }
}

TEST_F(MailTool, SelectReadsStandardInput)
{
    (void)platform::mail::MailState().ids({"100.M1.x", "200.M2.x", "300.M3.x", "400.M4.x"});
    const QByteArray renamed = (env.maildir() + QStringLiteral("/cur/100.M1.x:2,RS")).toUtf8();
    const QByteArray third = readFile(env.maildir() + QStringLiteral("/cur/300.M3.x:2,S"));
    const QByteArray separator = "\nFrom quorvell-mail Thu Jan  1 00:00:00 1970\n";
    struct Row {
        QStringList arguments;
        QByteArray input;
        int status;
        QStringList selection;
        const char* error = "";
    };
    const Row rows[] = {
        {{"-"}, "id:two-no-at\n<one@example.org>\n\n  300.M3.x  \r\n", 0, {"200.M2.x", "100.M1.x", "300.M3.x"}},
        {{"--stdin"}, "4\tSent\t400.M4.x\t\tsent one\n" + renamed + "\n2\n", 0, {"400.M4.x", "100.M1.x", "200.M2.x"}},
        {{"-"}, "100.M1.x\nnobody\n", 1, {"400.M4.x", "100.M1.x", "200.M2.x"}, "line 2: "},
        {{"-"}, "\n", 1, {"400.M4.x", "100.M1.x", "200.M2.x"}, "quorvell-mail clear"},
        // As neomutt pipes with the macro's separator, and as an mbox file; the third
        // message has no Message-ID and is found by its content.
        {{"--messages"}, readFile(env.maildir() + QStringLiteral("/new/200.M2.x")) + separator + third + separator, 0,
         {"200.M2.x", "300.M3.x"}},
        {{"--append", "--messages"}, "From a@b Sun Dec  6 07:10:23 2026\n" + third + "\nFrom a@b Sun Dec  6 07:10:24 2026\n"
         + readFile(m_first), 0, {"200.M2.x", "300.M3.x", "100.M1.x"}},
        {{"--messages"}, third + "\nFrom here on, a body line\n", 1, {"200.M2.x", "300.M3.x", "100.M1.x"}, "message 1"},
        {{"-", "100.M1.x"}, "", 2, {"200.M2.x", "300.M3.x", "100.M1.x"}, "one place"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE((row.arguments.join(QLatin1Char(' ')) + QLatin1Char(' ') + QString::fromUtf8(row.input)).toStdString());
        const ToolRun run = quorvellMail(QStringList{"select"} + row.arguments, row.input);
        EXPECT_EQ(run.status, row.status) << run.err.toStdString();
        EXPECT_EQ(selected(), row.selection);
        EXPECT_TRUE(run.err.contains(QLatin1String(row.error))) << run.err.toStdString();
    }
}

TEST_F(MailTool, SelectTakesTheMblazeSequence)
{
    // A reply, so that mthread indents it in the sequence.
    env.addMessage({}, QStringLiteral("500.M5.x:2,S"),
                   "Subject: Re: first\nMessage-ID: <five@example.org>\nIn-Reply-To: <one@example.org>\n\nx\n");
    qputenv("MBLAZE", (env.home() + QStringLiteral("/mblaze")).toUtf8());
    QDir().mkpath(env.home() + QStringLiteral("/mblaze"));
    QProcess mblaze;
    mblaze.start(QStringLiteral("sh"), {"-c", "mlist \"$MAILDIR\" | mthread | mseq -S"});
    ASSERT_TRUE(mblaze.waitForFinished(30000) && mblaze.exitCode() == 0) << "mblaze (scripts/install-deps.sh)";
    QStringList sequence;
    const QByteArray seq = readFile(env.home() + QStringLiteral("/mblaze/seq"));
    for (const QByteArray& line : seq.trimmed().split('\n'))
        sequence.append(QString::fromUtf8(line).section(QLatin1Char('/'), -1).section(QLatin1Char(':'), 0, 0));
    ASSERT_EQ(sequence.size(), 4);
    ASSERT_TRUE(seq.contains("\n ")) << "the reply is indented:\n" << seq.toStdString();

    const ToolRun run = quorvellMail({"select", "--mblaze"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(selected(), sequence);
}

// notmuch names a file that moved before `notmuch new` ran: the message is found
// by its Message-ID.
TEST_F(MailTool, SelectNotmuchFindsAMessageMovedSinceNotmuchNew)
{
    QFile config(env.home() + QStringLiteral("/notmuch-config"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("[database]\npath=" + env.maildir().toUtf8() + "\n[new]\ntags=inbox;\n");
    config.close();
    qputenv("NOTMUCH_CONFIG", config.fileName().toUtf8());
    QProcess notmuch;
    notmuch.start(QStringLiteral("notmuch"), {"new"});
    ASSERT_TRUE(notmuch.waitForFinished(30000) && notmuch.exitCode() == 0) << "notmuch (scripts/install-deps.sh)";
    ASSERT_TRUE(QFile::rename(m_first, env.maildir() + QStringLiteral("/.Sent/cur/900.M9.y:2,S")));

    const ToolRun run = quorvellMail({"select", "--notmuch", "subject:first"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(selected(), QStringList{"900.M9.y"});
}

TEST_F(MailTool, ListAndSelectionPrintOneLinePerMessage)
{
    const ToolRun list = quorvellMail({"list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, QStringLiteral("1\tINBOX\t100.M1.x\tAnn <ann@example.org>\tfirst\n"
                                       "2\tINBOX\t200.M2.x\t\tsecond\n"
                                       "3\tINBOX\t300.M3.x\t\tthird and tab\n"));
    const ToolRun sent = quorvellMail({"list", "--folder", "sent"});
    EXPECT_EQ(sent.out, QStringLiteral("4\tSent\t400.M4.x\t\tsent one\n"));
    EXPECT_EQ(quorvellMail({"list", "--folder", "all"}).out, list.out + sent.out);
    EXPECT_EQ(quorvellMail({"list", "--folder", "Nope"}).status, 1);

    ASSERT_EQ(quorvellMail({"select", "400.M4.x", "100.M1.x"}).status, 0);
    const ToolRun selection = quorvellMail({"selection"});
    EXPECT_EQ(selection.out, QStringLiteral("4\tSent\t400.M4.x\t\tsent one\n1\tINBOX\t100.M1.x\tAnn <ann@example.org>\tfirst\n"));
    ASSERT_EQ(quorvellMail({"clear"}).status, 0);
    EXPECT_EQ(quorvellMail({"selection"}).out, QString());
    EXPECT_EQ(quorvellMail({"folders"}).out, QStringLiteral("INBOX\nSent\n"));
}

// The mailbox a command uses is named whenever MAILDIR does not name it, and a
// MAILDIR written with a leading "~" is the home folder's.
TEST_F(MailTool, SaysWhichMailboxWhenMaildirDoesNotNameIt)
{
    struct Row {
        const char* maildir;  // nullptr: unset
        const char* said;     // on standard error; "" for nothing
    };
    const Row rows[] = {
        {"~/Maildir", ""},
        {nullptr, "using %1 (MAILDIR is not set)"},
        {"", "using %1 (MAILDIR is not set)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.maildir ? row.maildir : "unset");
        if (row.maildir)
            qputenv("MAILDIR", row.maildir);
        else
            qunsetenv("MAILDIR");
        const ToolRun run = quorvellMail({"select", "<nobody@example.org>"});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(QStringLiteral("\"<nobody@example.org>\" in ") + env.maildir())) << run.err.toStdString();
        EXPECT_EQ(run.err.contains(QStringLiteral("quorvell-mail: using")), *row.said != 0) << run.err.toStdString();
        if (*row.said) {
            EXPECT_TRUE(run.err.contains(QString::fromLatin1(row.said).arg(env.maildir()))) << run.err.toStdString();
        }
    }
}

// The content resource run by quorvell-script, a process without a GUI application
// object, over HTML whose stylesheet, link and images name a FIFO nobody writes:
// opening it would block for good, so the time bound catches any resource load.
TEST_F(MailTool, HtmlContentLoadsNothingAndNeedsNoGuiApplication)
{
    const QString fifo = env.home() + QStringLiteral("/fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QByteArray url = "file://" + QFile::encodeName(fifo);
    const QString path = env.addMessage({}, QStringLiteral("500.M5.x:2,S"),
        "Subject: html\nContent-Type: text/html\n\n<html><head><style>@import url(\"" + url + "\");</style>"
        "<link rel=stylesheet href=\"" + url + "\"></head><body style=\"background: url('" + url + "')\">"
        "<p>Hello <a href=\"https://e.x/\">link</a><img src=\"" + url + "\"><img src=\"cid:logo\"></p></body></html>\n");
    ASSERT_EQ(quorvellMail({"select", path}).status, 0);
    QProcess script;
    script.start(qEnvironmentVariable("QUORVELL_BINARY_DIR") + QStringLiteral("/tools/quorvell-script/quorvell-script"),
                 {mailtest::sourceDir() + QStringLiteral("/resources/Mail Content.applescript")});
    const bool finished = script.waitForFinished(20000);
    if (!finished)
        script.kill();
    ASSERT_TRUE(finished) << "the script blocked on the FIFO";
    EXPECT_EQ(script.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(script.readAllStandardOutput()), QStringLiteral("Hello link\n"));
}

}  // namespace

// quorvell-mail, run as a user runs it: the selection it writes, what it prints,
// and its errors.

#include "MailTestSupport.h"

#include "platform/mail/MailState.h"

#include <QProcess>

using mailtest::MailEnvironment;

namespace {

struct ToolRun {
    int status = -1;
    QString out;
    QString err;
};

ToolRun quorvellMail(const QStringList& arguments)
{
    QProcess process;
    process.start(qEnvironmentVariable("QUORVELL_BINARY_DIR") + QStringLiteral("/tools/quorvell-mail/quorvell-mail"),
                  arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
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

TEST_F(MailTool, SelectLastTakesTheNewestOfAFolder)
{
    struct Row {
        QStringList arguments;
        int status;
        QStringList selection;
    };
    const Row rows[] = {
        {{"select", "--folder", "inbox", "--last", "2"}, 0, {"200.M2.x", "300.M3.x"}},
        {{"select", "--last", "9", "--folder", "Sent"}, 0, {"400.M4.x"}},
        {{"select", "--folder", "INBOX", "--last", "0"}, 0, {}},
        {{"select", "--folder", "Drafts", "--last", "2"}, 1, {}},
        {{"select", "--folder", "INBOX", "--last", "many"}, 2, {}},
        {{"select", "--folder", "INBOX"}, 2, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.join(QLatin1Char(' ')).toStdString());
        const ToolRun run = quorvellMail(row.arguments);
        EXPECT_EQ(run.status, row.status) << run.err.toStdString();
        EXPECT_EQ(selected(), row.selection);
    }
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
    EXPECT_EQ(quorvellMail({"list", "--folder", "Nope"}).status, 1);

    ASSERT_EQ(quorvellMail({"select", "400.M4.x", "100.M1.x"}).status, 0);
    const ToolRun selection = quorvellMail({"selection"});
    EXPECT_EQ(selection.out, QStringLiteral("4\tSent\t400.M4.x\t\tsent one\n1\tINBOX\t100.M1.x\tAnn <ann@example.org>\tfirst\n"));
    ASSERT_EQ(quorvellMail({"clear"}).status, 0);
    EXPECT_EQ(quorvellMail({"selection"}).out, QString());
    EXPECT_EQ(quorvellMail({"folders"}).out, QStringLiteral("INBOX\nSent\n"));
}

TEST_F(MailTool, WrongUsageExitsWithTwo)
{
    for (const QStringList& arguments : {QStringList{}, QStringList{"select"}, QStringList{"frobnicate"},
                                         QStringList{"list", "extra"}, QStringList{"clear", "x"}}) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const ToolRun run = quorvellMail(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_FALSE(run.err.isEmpty());
    }
}

}  // namespace

// Every mail script resource, run by the real engine over the fixture Maildir
// (FixtureMaildir: two INBOX messages and one in Sent, all three selected), in the
// selection's order and with the reverse-order switch turned on.

#include "platform/applescript/AppleScript.h"
#include "platform/mail/MailApplication.h"
#include "platform/mail/MailState.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTextCodec>

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const QStringList kSelection = {"1765000100.M1.fixture", "1765000200.M2.fixture", "1765432800.M3.fixture"};

// The header blocks of the three fixture messages, as the files hold them.
const char* const kHeaders[] = {
    "From: \"Lee, Ann\" <ann@example.org>\nTo: Bob Roe <bob@example.org>, carl@example.org\n"
    "Cc: =?UTF-8?Q?Zo=C3=AB_Ng?= <zoe@example.org>\nSubject: Quarterly plan\n"
    "Date: Mon, 08 Dec 2025 11:20:00 +0000\nMessage-ID: <plan-1@example.org>\n"
    "Content-Type: text/plain; charset=utf-8",
    "From: alerts@status.example\r\nReply-To: Help Desk <help@status.example>\r\n"
    "To: =?ISO-8859-1?Q?Ren=E9e_Dupont?= <renee@example.fr>\r\nSubject: =?ISO-8859-1?Q?Caf=E9_closed?=\r\n"
    "Date: Tue, 09 Dec 2025 07:05:09 +0100\r\nContent-Type: text/html; charset=utf-8",
    "From: Robin Ashdown <robin@ashdown.example>\nTo: Ann Lee <ann@example.org>\n"
    "Bcc: archive@ashdown.example\nSubject: Re: Quarterly plan\nMessage-ID: <no-at-sign>\n"
    "Content-Type: multipart/mixed; boundary=\"mix\"",
};
const char* const kContents[] = {"Draft attached.\nSee you at ten.", "The café is closed today.", "Thanks, Ann."};

struct ResourceCase {
    const char* script;
    const char* separator;        // between the pieces of two messages; null: the line of dashes
    QStringList pieces;           // what each message gives, in selection order
};

QString dashes()
{
    return QStringLiteral("\n----------------------------------------\n");
}

QList<ResourceCase> cases()
{
    const QString h0 = QString::fromUtf8(kHeaders[0]), h1 = QString::fromUtf8(kHeaders[1]),
                  h2 = QString::fromUtf8(kHeaders[2]);
    const QString c0 = QString::fromUtf8(kContents[0]), c1 = QString::fromUtf8(kContents[1]),
                  c2 = QString::fromUtf8(kContents[2]);
    const auto raw = [](const char* path) {
        QFile file(qEnvironmentVariable("QUORVELL_SOURCE_DIR") + QStringLiteral("/tests/resources/FixtureMaildir/")
                   + QLatin1String(path));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<unreadable>");
    };
    return {
        {"Mail Subject", "\n", {"Quarterly plan", "Café closed", "Re: Quarterly plan"}},
        {"Mail Sender", "\n", {"Lee, Ann <ann@example.org>", "alerts@status.example", "Robin Ashdown <robin@ashdown.example>"}},
        {"Mail Reply To", "\n", {"Lee, Ann <ann@example.org>", "Help Desk <help@status.example>", "Robin Ashdown <robin@ashdown.example>"}},
        {"Mail Recipient", "\n",
         {"Bob Roe <bob@example.org>\ncarl@example.org\nZoë Ng <zoe@example.org>", "Renée Dupont <renee@example.fr>",
          "Ann Lee <ann@example.org>\narchive@ashdown.example"}},
        {"Mail Recipient Name", "\n",
         {"Bob Roe\ncarl@example.org\nZoë Ng", "Renée Dupont", "Ann Lee\narchive@ashdown.example"}},
        {"Mail Recipient Address", "\n",
         {"bob@example.org\ncarl@example.org\nzoe@example.org", "renee@example.fr", "ann@example.org\narchive@ashdown.example"}},
        {"Mail Message ID", "\n", {"plan-1@example.org", "no-at-sign"}},
        {"Mail Mail Message ID", "\n", {"1", "2", "3"}},
        {"Mail Date", "\n", {"Monday, 8 December 2025", "Tuesday, 9 December 2025", "Thursday, 11 December 2025"}},
        {"Mail Time", "\n", {"11:20:00", "06:05:09", "06:00:00"}},
        {"Mail Content", nullptr, {c0, c1, c2 + "\n\nAttachment: plan.pdf (9 bytes)"}},
        {"Mail All Headers", "\n\n", {h0, h1, h2}},
        {"Mail All Headers Content", nullptr, {h0 + "\n\n" + c0, h1 + "\n\n" + c1, h2 + "\n\n" + c2}},
        {"Mail Summary", nullptr,
         {"From: Lee, Ann <ann@example.org>\nSubject: Quarterly plan\nDate: Monday, 8 December 2025\nTime: 11:20:00\n"
          "To: Bob Roe <bob@example.org>, carl@example.org\nCc: Zoë Ng <zoe@example.org>\n\n" + c0,
          "From: alerts@status.example\nSubject: Café closed\nDate: Tuesday, 9 December 2025\nTime: 06:05:09\n"
          "To: Renée Dupont <renee@example.fr>\n\n" + c1,
          "From: Robin Ashdown <robin@ashdown.example>\nSubject: Re: Quarterly plan\nDate: Thursday, 11 December 2025\n"
          "Time: 06:00:00\nTo: Ann Lee <ann@example.org>\nBcc: archive@ashdown.example\n"
          "Attachment: plan.pdf (9 bytes)\n\n" + c2}},
        {"Mail Source", nullptr,
         {raw("cur/1765000100.M1.fixture:2,S"), raw("cur/1765000200.M2.fixture:2,FS"),
          raw(".Sent/cur/1765432800.M3.fixture:2,S")}},
    };
}

class MailResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        qputenv("HOME", m_home.path().toUtf8());
        qputenv("XDG_STATE_HOME", (m_home.path() + QStringLiteral("/state")).toUtf8());
        qputenv("MAILDIR", (source() + QStringLiteral("/tests/resources/FixtureMaildir")).toUtf8());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        platform::mail::registerMailApplication();
        ASSERT_TRUE(platform::mail::MailState().writeSelection(kSelection));
    }

    static QString source() { return qEnvironmentVariable("QUORVELL_SOURCE_DIR"); }

    // The resource read as Mac OS Roman, with its first "false" switched when asked.
    static QString resource(const QString& name, bool reverse)
    {
        QFile file(source() + QStringLiteral("/resources/") + name + QStringLiteral(".applescript"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        QString text = QTextCodec::codecForName("Apple Roman")->toUnicode(file.readAll());
        const qsizetype at = text.indexOf(QStringLiteral("false"));
        EXPECT_GE(at, 0);
        if (reverse)
            text.replace(at, 5, QStringLiteral("true"));
        return text;
    }

    static QString run(const QString& name, bool reverse)
    {
        platform::applescript::ErrorInfo error;
        const auto result = platform::applescript::AppleScript(resource(name, reverse)).executeAndReturnError(&error);
        EXPECT_TRUE(result.has_value()) << name.toStdString() << ": " << error.line << ":" << error.column << " "
                                        << error.message.toStdString();
        if (!result || !result->stringValue())
            return QStringLiteral("<no text>");
        return *result->stringValue();
    }

    QTemporaryDir m_home;
};

TEST_F(MailResources, EachResourceGivesItsTextInBothOrders)
{
    for (const ResourceCase& c : cases()) {
        SCOPED_TRACE(c.script);
        const QString separator = c.separator ? QString::fromUtf8(c.separator) : dashes();
        QStringList reversed = c.pieces;
        std::reverse(reversed.begin(), reversed.end());
        EXPECT_EQ(run(QString::fromUtf8(c.script), false), c.pieces.join(separator));
        EXPECT_EQ(run(QString::fromUtf8(c.script), true), reversed.join(separator));
    }
}

TEST_F(MailResources, NothingSelectedGivesEmptyText)
{
    ASSERT_TRUE(platform::mail::MailState().writeSelection({}));
    for (const ResourceCase& c : cases()) {
        SCOPED_TRACE(c.script);
        EXPECT_EQ(run(QString::fromUtf8(c.script), false), QString());
    }
}

// Mac OS Roman reads any byte, so a resource saved as UTF-8 would load without an
// error and show its accents garbled: every resource keeps to 7-bit ASCII.
TEST_F(MailResources, EveryResourceIsSevenBitAsciiAndTheCopyScriptsHoldTheSwitchFirst)
{
    const QDir resources(source() + QStringLiteral("/resources"));
    const QStringList names = resources.entryList({QStringLiteral("Mail *.applescript")}, QDir::Files);
    EXPECT_EQ(names.size(), 17);
    for (const QString& name : names) {
        QFile file(resources.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; }))
            << name.toStdString();
        const bool isExport = name.startsWith(QStringLiteral("Mail To "));
        EXPECT_EQ(bytes.startsWith("set reverseOrder to false\n"), !isExport) << name.toStdString();
    }
}

}  // namespace

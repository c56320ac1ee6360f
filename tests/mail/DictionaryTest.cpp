// Application "Mail" through the engine's dictionary seam: the selection, the
// properties and elements a script reads, and the commands it sends.

#include "MailTestSupport.h"

#include "platform/applescript/Dictionary.h"
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
        env.addMessage(QStringLiteral("Sent"), QStringLiteral("1765188001.M2.x:2,S"), "Subject: second\n\nx\n");
        EXPECT_TRUE(platform::mail::MailState().writeSelection({"1765188000.M1.x", "1765188001.M2.x"}));
        const Reply reply = mail()->property(QStringLiteral("selection"));
        EXPECT_TRUE(reply.ok());
        selection = reply.value();
    }
    [[nodiscard]] platform::applescript::Object& message(int i) const { return *selection.items().at(i).object(); }
};

Value get(const platform::applescript::Object& object, const char* property)
{
    const Reply reply = object.property(QString::fromLatin1(property));
    EXPECT_TRUE(reply.ok()) << property;
    return reply.value();
}

TEST(MailDictionary, SelectionListsTheSelectedMessagesInOrder)
{
    Selected s;
    ASSERT_EQ(s.selection.kind(), Value::Kind::List);
    ASSERT_EQ(s.selection.items().size(), 2u);
    EXPECT_EQ(s.message(0).className(), QStringLiteral("message"));
    EXPECT_EQ(get(s.message(1), "subject").text(), QStringLiteral("second"));
    EXPECT_EQ(get(get(s.message(1), "mailbox").object().operator*(), "name").text(), QStringLiteral("Sent"));

    ASSERT_TRUE(platform::mail::MailState().writeSelection({}));
    const Value none = mail()->property(QStringLiteral("selection")).value();
    EXPECT_TRUE(none.items().empty());
}

TEST(MailDictionary, MessagePropertiesAnswerWhatScriptsUse)
{
    Selected s;
    const auto& m = s.message(0);
    EXPECT_EQ(get(m, "sender").text(), QStringLiteral("Lee, Ann <ann@example.org>"));
    EXPECT_EQ(get(m, "reply to").text(), QString()) << "empty text, so scripts can fall back to the sender";
    EXPECT_EQ(get(m, "message id").text(), QStringLiteral("plans-1@example.org"));
    EXPECT_EQ(get(m, "content").text(), QStringLiteral("See you at ten."));
    EXPECT_EQ(get(m, "message size").integer(), kMessage.size());
    EXPECT_TRUE(get(m, "flagged status").boolean());
    EXPECT_EQ(get(m, "date sent").kind(), Value::Kind::Date);
    EXPECT_EQ(get(s.message(1), "date sent").kind(), Value::Kind::Missing) << "no Date field";
    EXPECT_EQ(m.property(QStringLiteral("color")).errorNumber(), -1728);
}

TEST(MailDictionary, IdsAreStableBetweenRuns)
{
    Selected s;
    const qint64 first = get(s.message(0), "id").integer();
    const qint64 second = get(s.message(1), "id").integer();
    EXPECT_NE(first, second);
    const Value again = mail()->property(QStringLiteral("selection")).value();
    EXPECT_EQ(get(*again.items().at(0).object(), "id").integer(), first);
    EXPECT_TRUE(s.message(0).sameAs(*again.items().at(0).object()));
    EXPECT_FALSE(s.message(0).sameAs(s.message(1)));
}

TEST(MailDictionary, RecipientElementsAreToThenCcWithNameAndAddress)
{
    Selected s;
    struct Row {
        const char* element;
        QStringList expected;  // "name|address"
    };
    const Row rows[] = {
        {"recipient", {"Bob Roe|bob@example.org", "|carl@example.org", "Zoë|zoe@example.org"}},
        {"to recipient", {"Bob Roe|bob@example.org", "|carl@example.org"}},
        {"cc recipient", {"Zoë|zoe@example.org"}},
        {"bcc recipient", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.element);
        const Reply reply = s.message(0).elements(QString::fromLatin1(row.element));
        ASSERT_TRUE(reply.ok());
        QStringList got;
        for (const Value& item : reply.value().items())
            got.append(get(*item.object(), "name").text() + QLatin1Char('|') + get(*item.object(), "address").text());
        EXPECT_EQ(got, row.expected);
    }
    EXPECT_EQ(s.message(0).elements(QStringLiteral("attachment")).errorNumber(), -1728);
}

TEST(MailDictionary, ExtractNameAndAddress)
{
    struct Row {
        const char* text;
        const char* name;
        const char* address;
    };
    const Row rows[] = {
        {"Ann Lee <ann@example.org>", "Ann Lee", "ann@example.org"},
        {"\"Lee, Ann\" <ann@example.org>", "Lee, Ann", "ann@example.org"},
        {"ann@example.org", "ann@example.org", "ann@example.org"},
        {"=?ISO-8859-1?Q?J=FCrgen?= <j@example.de>", "Jürgen", "j@example.de"},
        {"  ", "", ""},
    };
    auto app = mail();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        for (const bool name : {true, false}) {
            CommandCall call{name ? QStringLiteral("extract name from") : QStringLiteral("extract address from"), true,
                             Value(QString::fromUtf8(row.text)), {}};
            const Reply reply = app->command(call);
            ASSERT_TRUE(reply.ok());
            EXPECT_EQ(reply.value().text(), QString::fromUtf8(name ? row.name : row.address));
        }
    }
    EXPECT_EQ(app->command({QStringLiteral("extract name from"), true, Value(3), {}}).errorNumber(), -1703);
    EXPECT_EQ(app->command({QStringLiteral("fly"), false, {}, {}}).errorNumber(), -1708);
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
        {"unknown format",
         {QStringLiteral("save"), true, s.selection.items().at(0),
          {{QStringLiteral("in"), Value(folder.path())}, {QStringLiteral("as"), Value("DOCX")}}},
         -1703},
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
    // Sent to the message itself (tell theMessage to save in ...).
    CommandCall toMessage{QStringLiteral("save"), false, {},
                          {{QStringLiteral("in"), Value(folder.path())}, {QStringLiteral("as"), Value("RTF")}}};
    const Reply second = s.message(0).command(toMessage);
    ASSERT_TRUE(second.ok()) << second.errorMessage().toStdString();
    EXPECT_NE(second.value().text(), path) << "an existing file is never overwritten";
    EXPECT_TRUE(QFileInfo(second.value().text()).isFile());
}

}  // namespace

// Every broken message of the corpus answers every property without crashing, and
// the symptoms we know how to read around give the text a reader expects.

#include "MailTestSupport.h"

#include "platform/mail/MessageObject.h"

#include <QDirIterator>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSet>
#include <QFileInfo>

#include <map>

using mailtest::messageAt;

namespace {

struct Expectation {
    const char* subject = nullptr;  // exact, when given
    const char* sender = nullptr;
    const char* messageId = nullptr;
    const char* contentContains = nullptr;
    const char* repairLogged = nullptr;  // a repair the mail log tells of
    const char* sourceContains = nullptr;
};

// The mail log's messages while a file is read.
QStringList& mailLog()
{
    static QStringList lines;
    return lines;
}

// What the symptom files must give. Files not named here only have to answer; the
// message test's tables hold the symptoms read from text written there.
const std::map<QString, Expectation>& expectations()
{
    static const std::map<QString, Expectation> table = {
        {"missing-boundary.eml", {"Photos from the weekend", "Nadia Haddad <nadia@haddad.example>",
                                  "missing-boundary@haddad.example", "The text part survives a missing boundary.",
                                  "guessed XyZ-boundary-42"}},
        {"wrong-boundary.eml", {"Wrong boundary", nullptr, "", "Text behind the wrong boundary."}},
        {"truncated-header.eml", {"Cut off in the middle", "Ola Nordmann <ola@nordmann.example>",
                                  "trunc@nordmann.example", nullptr}},
        {"nul-bytes.eml",
         {"Zero  bytes inside", nullptr, nullptr, "zero byte and text after it.", "NUL bytes in a Subject"}},
        {"8bit-latin1-subject.eml",
         {"Grüße aus Köln", "Jürgen Müller <j@koeln.example>", "", "Schöne Grüße", "reads as Windows-1252"}},
        {"8bit-utf8-subject.eml", {"Smörgåsbord für alle", "Zoë Ångström <zoe@example.org>", "", "Text"}},
        {"crlf-line-ends.eml", {"Line ends", "Carl Rivers <carl@rivers.example>", "",
                                "The plain text of a CRLF message."}},
        {"message-id-missing.eml", {"No Message-ID at all", nullptr, "", nullptr}},
        {"unknown-charset.eml", {nullptr, nullptr, nullptr, "jajvam — ünïcode", "unknown charset x-klingon"}},
        {"empty-file.eml", {"", "", "", nullptr}},
        {"body-only.eml", {"", "", "", "No header at all, only a body."}},
        {"header-only.eml", {"Header without a body", "a@example.org", "", nullptr}},
        {"from-without-address.eml", {nullptr, "The Office", nullptr, nullptr, "without an address"}},
        {"folded-headers.eml", {"A subject that folds over  three lines", "Very Long Name <long@example.org>",
                                nullptr, nullptr}},
        {"deep-nesting.eml", {"Deep nesting", nullptr, nullptr, nullptr}},
        {"message-rfc822.eml", {nullptr, nullptr, nullptr, "The forwarded text."}},
        {"latin1-body-no-charset.eml", {nullptr, nullptr, nullptr, "Das ist schön.", "not UTF-8"}},
        {"utf8-body-no-charset.eml", {nullptr, nullptr, nullptr, "Grüße aus Köln."}},
        {"empty-plain-alternative.eml", {nullptr, nullptr, nullptr, "Winter sale\n\nUp to 50% off boots."}},
        {"split-encoded-words.eml", {"Café am Dom é", "Jürgen Müller <j@koeln.example>", "split@koeln.example"}},
        {"malformed-encoded-words.eml", {"=?a?q?xxxxxxxx=?a?q?xx =?x", "=?Jü <a@x.org>, =?x?gnoaQQ?a?= <b@y.org>"}},
        {"windows-1252-as-latin1.eml", {"It’s done – €200", "Renée “RB” Blanc <renee@blanc.example>", nullptr,
                                        "The “final” price is €200 – that’s all.", "reads as Windows-1252",
                                        "The “final” price"}},
    };
    return table;
}

TEST(MailGarbage, EveryPropertyAnswersForEveryBrokenMessage)
{
    QLoggingCategory::setFilterRules(QStringLiteral("quorvell.mail.info=true"));
    const auto keep = [](QtMsgType, const QMessageLogContext& at, const QString& text) {
        if (qstrcmp(at.category, "quorvell.mail") == 0)
            mailLog().append(text);
        else
            mailLog().append(QStringLiteral("(not ours) ") + text);
    };
    const QtMessageHandler previous = qInstallMessageHandler(keep);
    QDirIterator files(mailtest::corpusDir(), {QStringLiteral("*.eml")}, QDir::Files);
    int count = 0;
    QSet<QString> unseen;  // a misspelt name in the table must fail, not skip its file
    for (const auto& entry : expectations())
        unseen.insert(entry.first);
    while (files.hasNext()) {
        const QString path = files.next();
        const QString name = QFileInfo(path).fileName();
        SCOPED_TRACE(name.toStdString());
        ++count;
        unseen.remove(name);
        mailLog().clear();
        auto message = messageAt(path);
        const QString subject = message.subject();
        const QString sender = message.sender();
        (void)message.replyTo();
        const auto recipients = message.toRecipients() + message.ccRecipients() + message.bccRecipients();
        for (const auto& recipient : recipients) {
            EXPECT_FALSE(recipient.display().isEmpty());
            EXPECT_FALSE(recipient.display().contains(QRegularExpression(QStringLiteral("[\\x00-\\x1f\\x7f]"))));
        }
        const QString id = message.messageId();
        const QString headers = message.allHeaders();
        (void)message.dateSent();
        EXPECT_TRUE(message.dateReceived().isValid());
        const QString content = message.content();
        const QString source = message.source();
        EXPECT_EQ(message.messageSize(), QFileInfo(path).size());
        EXPECT_TRUE(source.startsWith(headers)) << "the header block is the start of the source";
        // A script reads the same texts, handed over as UTF-8 bytes or decoded.
        const platform::mail::MessageObject object(
            std::make_shared<platform::mail::MailMessage>(message.location()), 1);
        for (const auto& [property, text] : {std::pair{"source", source}, {"all headers", headers},
                                             {"content", content}, {"subject", subject}, {"sender", sender}})
            EXPECT_EQ(object.property(QString::fromLatin1(property)).value().text(), text) << property;
        // The fast reader of everyday address lists reads them as KMime does.
        const platform::mail::HeaderBlock block(message.rawHeaders());
        for (const char* field : {"From", "Sender", "Reply-To", "To", "Cc", "Bcc"}) {
            for (const QByteArray& value : block.rawValues(field))
                EXPECT_EQ(platform::mail::HeaderBlock::parseAddressList(value),
                          platform::mail::HeaderBlock::parseAddressListItemByItem(value)) << value.toStdString();
        }
        EXPECT_FALSE(subject.contains(QChar(0xFFFD)));
        EXPECT_FALSE(sender.contains(QChar(0xFFFD)));

        const auto expected = expectations().find(name);
        if (expected == expectations().end())
            continue;
        const Expectation& e = expected->second;
        if (e.subject) {
            EXPECT_EQ(subject, QString::fromUtf8(e.subject));
        }
        if (e.sender) {
            EXPECT_EQ(sender, QString::fromUtf8(e.sender));
        }
        if (e.messageId) {
            EXPECT_EQ(id, QString::fromUtf8(e.messageId));
        }
        if (e.contentContains) {
            EXPECT_TRUE(content.contains(QString::fromUtf8(e.contentContains))) << content.toStdString();
        }
        if (e.sourceContains) {
            EXPECT_TRUE(source.contains(QString::fromUtf8(e.sourceContains))) << source.toStdString();
        }
        EXPECT_FALSE(mailLog().join(QLatin1Char('\n')).contains(QLatin1String("(not ours)")))
            << "nothing but our repairs is logged: " << mailLog().join(QLatin1Char('\n')).toStdString();
        if (e.repairLogged) {
            EXPECT_TRUE(mailLog().join(QLatin1Char('\n')).contains(QLatin1String(e.repairLogged)))
                << mailLog().join(QLatin1Char('\n')).toStdString();
        }
    }
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    EXPECT_GE(count, 20);
    EXPECT_TRUE(unseen.isEmpty()) << "no corpus file named " << unseen.values().value(0).toStdString();
}

TEST(MailGarbage, AnAttachmentOnlyMessageHasNoText)
{
    auto message = messageAt(mailtest::corpusDir() + QStringLiteral("/attachment-only.eml"));
    EXPECT_EQ(message.content(), QString());
}

}  // namespace

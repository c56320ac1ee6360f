// The message model: the reading pitfalls of KMime, each with a message that shows
// it, the properties a reader relies on, and the lazy split between header and body.

#include "MailTestSupport.h"

#include "platform/mail/MessageBody.h"

using mailtest::MailEnvironment;
using mailtest::messageAt;
using platform::mail::Attachment;
using platform::mail::MailAddress;
using platform::mail::MessageBody;

namespace {

struct ContentCase {
    const char* name;
    QByteArray message;
    const char* content;
};

// Each row is a way a body goes wrong when read naively.
const ContentCase kContentCases[] = {
    {"crlf body is not empty",
     "From: a@example.org\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nFirst line\r\nSecond line\r\n",
     "First line\nSecond line"},
    {"crlf multipart finds its parts",
     "Content-Type: multipart/alternative; boundary=\"x\"\r\n\r\n--x\r\nContent-Type: text/plain\r\n\r\nplain\r\n"
     "--x\r\nContent-Type: text/html\r\n\r\n<b>html</b>\r\n--x--\r\n",
     "plain"},
    {"alternative prefers the plain part even when it comes second",
     "Content-Type: multipart/alternative; boundary=\"x\"\n\n--x\nContent-Type: text/html\n\n<p>html</p>\n"
     "--x\nContent-Type: text/plain\n\nplain text\n--x--\n",
     "plain text"},
    {"html only renders to text",
     "Content-Type: text/html; charset=utf-8\n\n<html><head><title>T</title><style>p{color:red}</style></head>"
     "<body><p>Caf&eacute; &amp; <b>cr&egrave;me</b></p><p>two</p></body></html>\n",
     "Café & crème\n\ntwo"},
    {"every inline text part, in order",
     "Content-Type: multipart/mixed; boundary=m\n\n--m\nContent-Type: text/plain\n\nfirst\n"
     "--m\nContent-Type: image/png\nContent-Disposition: inline\nContent-Transfer-Encoding: base64\n\niVBORw==\n"
     "--m\nContent-Type: text/html\n\n<p>second</p>\n--m--\n",
     "first\n\nsecond"},
    {"related gives its root part only",
     "Content-Type: multipart/related; boundary=r\n\n--r\nContent-Type: text/html\n\n<img src=cid:a>root\n"
     "--r\nContent-Type: text/plain\nContent-ID: <a>\n\nnot text\n--r--\n",
     "root"},
    {"format=flowed is unwrapped, quotes and signatures kept",
     "Content-Type: text/plain; format=flowed\n\nOne long \nline.\n>Quoted \n>text.\n>> deeper\n"
     " >stuffed\n\n-- \nsig\n",
     "One long line.\n> Quoted text.\n>> deeper\n>stuffed\n\n-- \nsig"},
    {"format=flowed with delsp joins without the space",
     "Content-Type: text/plain; charset=utf-8; format=Flowed; DelSp=Yes\n\nSpl \nit words\n", "Split words"},
    {"attachment is not the text",
     "Content-Type: multipart/mixed; boundary=\"m\"\n\n--m\nContent-Type: application/pdf\n"
     "Content-Disposition: attachment; filename=a.pdf\nContent-Transfer-Encoding: base64\n\nJVBERi0xLjQK\n"
     "--m\nContent-Type: text/plain\n\nthe letter\n--m--\n",
     "the letter"},
    {"missing boundary is guessed from the body",
     "Content-Type: multipart/mixed\n\n--guess\nContent-Type: text/plain\n\nfound anyway\n--guess--\n", "found anyway"},
    {"nested multipart without its boundary",
     "Content-Type: multipart/mixed; boundary=a\n\n--a\nContent-Type: multipart/alternative\n\n--b\n"
     "Content-Type: text/plain\n\ninner text\n--b--\n--a--\n",
     "inner text"},
    {"quoted-printable latin-1",
     "Content-Type: text/plain; charset=ISO-8859-1\nContent-Transfer-Encoding: quoted-printable\n\n"
     "gro=DF und sch=F6n=\n ist es\n",
     "groß und schön ist es"},
    {"unknown charset reads valid utf-8 as utf-8",
     "Content-Type: text/plain; charset=x-unheard-of\n\n\xc3\xa9t\xc3\xa9\n", "été"},
    {"utf-8 label on latin-1 bytes falls back to latin-1", "Content-Type: text/plain; charset=utf-8\n\n\xe9t\xe9\n",
     "été"},
    {"base64 utf-8", "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: base64\n\nw6l0w6kK\n", "été"},
    {"a stray byte in declared utf-8 is one U+FFFD, the rest utf-8",
     "Content-Type: text/plain; charset=UTF-8\n\nIt\xe2\x80\x99s the caf\xc3\xa9\n--\nJos\xe9\n", "It’s the café\n--\nJos\uFFFD"},
    {"base64 written in pieces, each with its pad",
     "Content-Type: text/plain\nContent-Transfer-Encoding: base64\n\nT25lIA==\ndHdvIA==\ndGhyZWU=\n", "One two three"},
    {"html without a mime charset reads its meta charset",
     "Content-Type: text/html\n\n<html><head><meta http-equiv=Content-Type content=\"text/html; charset=windows-1251\">"
     "</head><body>\xcf\xf0\xe8\xe2\xe5\xf2</body></html>\n",
     "Привет"},
    {"a blank plain part gives way to html inside a related part",
     "Content-Type: multipart/alternative; boundary=a\n\n--a\nContent-Type: text/plain\n\n \n--a\n"
     "Content-Type: multipart/related; boundary=r\n\n--r\nContent-Type: text/html\n\n<p>Rich text</p>\n--r--\n--a--\n",
     "Rich text"},
};

TEST(MailMessage, AttachmentsAreNamedWithTheirDecodedSize)
{
    const QByteArray raw =
        "Content-Type: multipart/mixed; boundary=m\n\n--m\nContent-Type: text/plain\n\nletter\n"
        "--m\nContent-Type: application/pdf; name=ignored.pdf\nContent-Disposition: attachment; filename=\"a b.pdf\"\n"
        "Content-Transfer-Encoding: base64\n\nJVBERi0x\nLjQK\n"
        "--m\nContent-Type: text/plain\nContent-Disposition: attachment;\n filename*=utf-8''Gr%C3%BC%C3%9Fe%0A.txt\n\nhello\n"
        "--m\nContent-Type: image/png; name=\"=?utf-8?q?logo=0D.png?=\"\n\nPNG\n"
        "--m\nContent-Type: application/octet-stream\n\nxy\n--m--\n";
    const MessageBody body(raw);
    EXPECT_EQ(body.text(), QStringLiteral("letter"));
    const QList<Attachment> expected = {{QStringLiteral("a b.pdf"), 9},
                                        {QStringLiteral("Grüße .txt"), 5},
                                        {QStringLiteral("logo .png"), 3},
                                        {QStringLiteral("application/octet-stream"), 2}};
    EXPECT_EQ(body.attachments(), expected);
}

TEST(MailMessage, BodiesDecodeToTheirText)
{
    for (const ContentCase& c : kContentCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MessageBody::plainText(c.message), QString::fromUtf8(c.content));
    }
}

struct HeaderCase {
    const char* name;
    QByteArray header;
    const char* subject;
    const char* sender;
    const char* messageId;
};

const HeaderCase kHeaderCases[] = {
    {"message id without angle brackets", "Message-ID: bare@example.org", "", "", "bare@example.org"},
    {"message id without an at sign", "Message-ID: <no-at-sign>", "", "", "no-at-sign"},
    {"message id folded onto the next line", "Message-ID:\n <folded@example.org>", "", "", "folded@example.org"},
    {"raw latin-1 subject", "Subject: Gr\xfc\xdf" "e", "Grüße", "", ""},
    {"raw utf-8 subject", "Subject: Gr\xc3\xbc\xc3\x9f" "e", "Grüße", "", ""},
    {"rfc 2047 latin-1 subject and name",
     "Subject: =?ISO-8859-1?Q?Gr=FC=DFe_aus_K=F6ln?=\nFrom: =?ISO-8859-1?Q?J=FCrgen?= <j@example.de>", "Grüße aus Köln",
     "Jürgen <j@example.de>", ""},
    {"rfc 2047 utf-8 base64 subject", "Subject: =?UTF-8?B?5Ye65by144Gu5Lu2?=", "出張の件", "", ""},
    {"raw latin-1 name", "From: Ren\xe9" "e Dupont <renee@example.fr>", "", "Renée Dupont <renee@example.fr>", ""},
    {"quoted name with a comma", "From: \"Okafor, Chinwe\" <c@example.org>", "", "Okafor, Chinwe <c@example.org>", ""},
    {"bare address", "From: alerts@example.org", "", "alerts@example.org", ""},
    {"angle address without a name", "From: <alerts@example.org>", "", "alerts@example.org", ""},
    {"field names ignore case", "SUBJECT: loud\nfrom: quiet@example.org", "loud", "quiet@example.org", ""},
    {"first of two fields wins", "Subject: one\nSubject: two", "one", "", ""},
    {"a bad q escape reads as written, alone or beside another word",
     "Subject: =?utf-8?q?a=zz?= =?utf-8?q?b?= / =?utf-8?q?a=zz?=", "a=zzb / a=zz", "", ""},
    {"a us-ascii word reads 8-bit bytes as the body does", "Subject: =?us-ascii?q?It=92s?=", "It’s", "", ""},
    {"malformed words stay as written, good ones beside them decode",
     "Subject: =?a?q?xx =?x?q?y =?utf-8?q?ok?=", "=?a?q?xx =?x?q?y ok", "", ""},
    {"a raw utf-8 address stays as written", "From: J\xc3\xbcrgen <j@b\xc3\xbc" "cher.example>", "",
     "Jürgen <j@bücher.example>", ""},
};

TEST(MailMessage, HeadersDecodeToTheirDisplayForm)
{
    MailEnvironment env;
    int n = 0;
    for (const HeaderCase& c : kHeaderCases) {
        SCOPED_TRACE(c.name);
        const QString path = env.addMessage({}, QStringLiteral("1700000000.M%1.test:2,").arg(++n),
                                            c.header + "\n\nbody\n");
        auto message = messageAt(path);
        EXPECT_EQ(message.subject(), QString::fromUtf8(c.subject));
        EXPECT_EQ(message.sender(), QString::fromUtf8(c.sender));
        EXPECT_EQ(message.messageId(), QString::fromUtf8(c.messageId));
    }
}

TEST(MailMessage, ReadingAbsentFieldsAddsNothingToTheMessage)
{
    MailEnvironment env;
    const QByteArray raw = "Subject: only this\n\nbody\n";
    const QString path = env.addMessage({}, QStringLiteral("1700000000.M1.test:2,"), raw);
    auto message = messageAt(path);
    (void)message.sender();
    (void)message.replyTo();
    (void)message.toRecipients();
    (void)message.messageId();
    (void)message.dateSent();
    (void)message.content();
    EXPECT_EQ(message.allHeaders(), QStringLiteral("Subject: only this"));
    EXPECT_EQ(message.source(), QString::fromLatin1(raw));
    EXPECT_EQ(mailtest::readFile(path), raw);
    EXPECT_FALSE(message.dateSent().isValid());
    EXPECT_EQ(message.replyTo(), QString());
}

TEST(MailMessage, HeaderPropertiesDoNotReadTheBody)
{
    MailEnvironment env;
    QByteArray raw = "From: Ann Lee <ann@example.org>\nTo: b@example.org\nSubject: big\nMessage-ID: <big@x>\n"
                     "Date: Mon, 08 Dec 2025 11:20:00 +0200\n\n";
    raw += QByteArray(2 * 1024 * 1024, 'x');
    const QString path = env.addMessage({}, QStringLiteral("1700000000.M1.test:2,S"), raw);
    auto message = messageAt(path, QStringLiteral("S"));
    EXPECT_EQ(message.subject(), QStringLiteral("big"));
    (void)message.sender();
    (void)message.toRecipients();
    (void)message.messageId();
    (void)message.allHeaders();
    (void)message.dateSent();
    EXPECT_EQ(message.messageSize(), raw.size());
    EXPECT_FALSE(message.bodyLoaded());
    EXPECT_EQ(message.content().size(), 2 * 1024 * 1024);
    EXPECT_TRUE(message.bodyLoaded());
}

struct AddressCase {
    const char* name;
    QByteArray header;
    QStringList to;  // display forms of the To recipients
    QStringList cc;
};

const AddressCase kAddressCases[] = {
    {"names keep their order, commas and encoded words",
     "To: Ann Lee <ann@example.org>, \"Lee, Bob\" <bob@example.org>,\n cat@example.org\n"
     "Cc: =?UTF-8?Q?Zo=C3=AB?= <zoe@example.org>",
     {"Ann Lee <ann@example.org>", "Lee, Bob <bob@example.org>", "cat@example.org"}, {"Zoë <zoe@example.org>"}},
    {"a group without members names nobody", "To: undisclosed-recipients:;\nCc: Hidden : ;", {}, {}},
    {"a group gives its members", "To: Team: a@x.example, \"B\" <b@y.example>;", {"a@x.example", "B <b@y.example>"}, {}},
    {"a field given twice gives both",
     "To: a@x.example\nCc: c@z.example\nTo: B <b@y.example>\ncc: d@z.example",
     {"a@x.example", "B <b@y.example>"}, {"c@z.example", "d@z.example"}},
    {"decoded line breaks and controls become blanks",
     "To: =?utf-8?q?Alice_Smith_<ceo@evil.example>=0A?= <bob@x.example>\nCc: =?utf-8?q?Tab=09Bell=07?= <c@z.example>",
     {"Alice Smith <ceo@evil.example> <bob@x.example>"}, {"Tab Bell <c@z.example>"}},
    {"plain lists, read without KMime, read as KMime reads them",
     "To: Bob<b@y.example>, <c@z.example>,\n\td.e@f.example\nCc: Ann  Lee <a@x.example>, Al <al@x.example>,",
     {"Bob <b@y.example>", "c@z.example", "d.e@f.example"}, {"Ann Lee <a@x.example>", "Al <al@x.example>"}},
    {"an item nobody can read is kept as an item of its own", "To: admin@x.org, root\nCc: Ann Lee <a@x.org>, b@",
     {"admin@x.org", "root"}, {"Ann Lee <a@x.org>", "b@"}},
    {"utf-8 addresses and quoted names with commas",
     "To: J\xc3\xbcrgen <j@b\xc3\xbc" "cher.example>, \"M\xc3\xbcller, K\" <k@x.de>",
     {"Jürgen <j@bücher.example>", "Müller, K <k@x.de>"}, {}},
};

TEST(MailMessage, AddressFieldsAsMailReadersShowThem)
{
    MailEnvironment env;
    int n = 0;
    for (const AddressCase& c : kAddressCases) {
        SCOPED_TRACE(c.name);
        const QString path = env.addMessage({}, QStringLiteral("1700000000.M%1.test:2,").arg(++n), c.header + "\n\nx\n");
        auto message = messageAt(path);
        QStringList to;
        for (const MailAddress& address : message.toRecipients())
            to.append(address.display());
        QStringList cc;
        for (const MailAddress& address : message.ccRecipients())
            cc.append(address.display());
        EXPECT_EQ(to, c.to);
        EXPECT_EQ(cc, c.cc);
        for (const QByteArray& value : platform::mail::HeaderBlock(message.rawHeaders()).rawValues("To"))
            EXPECT_EQ(platform::mail::HeaderBlock::parseAddressList(value),
                      platform::mail::HeaderBlock::parseAddressListItemByItem(value));
    }
}

TEST(MailMessage, SourceDecodesLineByLineWhenItMixesEncodings)
{
    MailEnvironment env;
    const struct {
        QByteArray raw;
        const char* text;
    } cases[] = {
        {"Subject: Gr\xc3\xbc\xc3\x9f" "e\nContent-Type: text/plain; charset=iso-8859-1\n\nGr\xfc\xdf" "e\n",
         "Subject: Grüße\nContent-Type: text/plain; charset=iso-8859-1\n\nGrüße\n"},
        {"Subject: \xc3\xa9\nContent-Type: text/plain;\r\n charset=\"windows-1252\"\r\n\r\n\x80 5\r\n",
         "Subject: é\nContent-Type: text/plain;\r\n charset=\"windows-1252\"\r\n\r\n€ 5\r\n"},
        {"Subject: \xe9t\xe9\n\n<meta content=\"text/html; charset=utf-8\">\xe9\n", "Subject: été\n\n<meta content=\"text/html; charset=utf-8\">é\n"},
        {"Subject: plain\r\n\r\nascii \x01 stays\r\n", "Subject: plain\r\n\r\nascii \x01 stays\r\n"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString path = env.addMessage({}, QStringLiteral("1700000000.M%1.test:2,").arg(++n), c.raw);
        EXPECT_EQ(messageAt(path).source(), QString::fromUtf8(c.text));
    }
}

TEST(MailMessage, DatesAndFlagsComeFromTheHeaderAndTheFileName)
{
    MailEnvironment env;
    const QString path = env.addMessage({}, QStringLiteral("1765188000.M7P1.host:2,FS"),
                                        "Date: Mon, 08 Dec 2025 11:20:00 +0200\n\nx\n");
    auto flagged = messageAt(path, QStringLiteral("FS"));
    EXPECT_EQ(flagged.dateSent().toUTC(), QDateTime(QDate(2025, 12, 8), QTime(9, 20), Qt::UTC));
    EXPECT_EQ(flagged.dateReceived().toSecsSinceEpoch(), 1765188000);
    EXPECT_TRUE(flagged.readStatus());
    EXPECT_TRUE(flagged.flaggedStatus());
    auto unread = messageAt(path, QString());
    EXPECT_FALSE(unread.readStatus());
    EXPECT_FALSE(unread.flaggedStatus());
}

TEST(MailMessage, AVanishedFileAnswersEmpty)
{
    auto message = messageAt(QStringLiteral("/nonexistent/cur/1700000000.M1.gone:2,S"));
    EXPECT_EQ(message.subject(), QString());
    EXPECT_EQ(message.content(), QString());
    EXPECT_EQ(message.source(), QString());
    EXPECT_EQ(message.messageSize(), 0);
}

}  // namespace

// The textual side of the vCard files: which files are complete cards, the UID
// insertion that must keep every other byte, and the cards this book writes, read
// back by KF5 Contacts.

#include "platform/addressbook/VCardText.h"

#include "BookFolder.h"

#include <KContacts/VCardConverter>

#include <gtest/gtest.h>

#include <optional>

namespace vcard = platform::addressbook::vcard;

namespace {

TEST(SplitCards, ReadsTheLineStructureOfRealFiles)
{
    struct Case {
        QByteArray text;
        std::optional<int> cards;
        bool firstHasUid;
    };
    const Case cases[] = {
        {"", std::nullopt, false},
        {"\r\n\r\n", std::nullopt, false},
        {"BEGIN:VCARD\rVERSION:3.0\rFN:A\rEND:VCARD", 1, false},
        {"begin:vcard\nversion:3.0\nitem1.uid:x\nend:vcard\n", 1, true},
        {"BEGIN:VCARD\nNOTE:folded\n UID:not a property\nEND:VCARD\n", 1, false},
        {"BEGIN:VCARD\nU\n ID:folded name\nEND:VCARD\n", 1, true},
        {"BEGIN:VCARD\nNOTE;ENCODING=QUOTED-PRINTABLE:soft=\nUID:not a property\nEND:VCARD\n", 1, false},
        {"\xEF\xBB\xBF" "BEGIN:VCARD\r\nUID:x\r\nEND:VCARD\r\n", 1, true},
        {"BEGIN:VCARD\nVERSION:4.0\nEND:VCARD\n\nBEGIN:VCARD\nUID:2\nEND:VCARD\n", 2, false},
        {"BEGIN:VCARD\nEND:VCARD\ntrailing words\n", std::nullopt, false},
        {"END:VCARD\n", std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toPercentEncoding().constData());
        const auto blocks = vcard::splitCards(c.text);
        ASSERT_EQ(blocks.has_value(), c.cards.has_value());
        if (blocks) {
            EXPECT_EQ(int(blocks->size()), *c.cards);
            EXPECT_EQ(blocks->front().hasUid, c.firstHasUid);
        }
    }
}

TEST(InsertUid, AddsOneLineAfterVersionInTheFilesOwnLineBreaks)
{
    const struct {
        QByteArray file;
        QByteArray expected;
    } cases[] = {
        {"BEGIN:VCARD\nVERSION:3.0\nFN:A\nEND:VCARD\n", "BEGIN:VCARD\nVERSION:3.0\nUID:u\nFN:A\nEND:VCARD\n"},
        {"BEGIN:VCARD\r\nFN:A\r\nVERSION:2.1\r\nEND:VCARD\r\n",
         "BEGIN:VCARD\r\nFN:A\r\nVERSION:2.1\r\nUID:u\r\nEND:VCARD\r\n"},
        {"BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n", "BEGIN:VCARD\r\nUID:u\r\nFN:A\r\nEND:VCARD\r\n"},
        {"BEGIN:VCARD\rVERSION:3.0\rEND:VCARD", "BEGIN:VCARD\rVERSION:3.0\rUID:u\rEND:VCARD"},
        {"BEGIN:VCARD\r\nVERSION:\r\n 3.0\r\nEND:VCARD\r\n", "BEGIN:VCARD\r\nVERSION:\r\n 3.0\r\nUID:u\r\nEND:VCARD\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toPercentEncoding().constData());
        const auto blocks = vcard::splitCards(c.file);
        ASSERT_TRUE(blocks);
        EXPECT_EQ(vcard::insertUid(c.file, blocks->front(), QStringLiteral("u")), c.expected);
    }
}

TEST(PersonCard, EveryValueComesBackFromKContacts)
{
    const struct {
        QString first;
        QString last;
        QString email;
        QString formatted;
        QString category;
    } cases[] = {
        {"Ann Marie", "Lee", "x@example.com", "Ann Marie Lee", "Quorvell 2026-12-06 07:10:23 +0100"},
        {"Lee,", "Ann", "a;b\\c@example.com", "Lee, Ann", "Team North; \\ South"},
        {"<x>", "", "x", "<x>", {}},
        {"", "", "only@example.com", "only@example.com", {}},
        {"\"Ann", "Lee\"", "", "\"Ann Lee\"", {}},
        {QString(90, u'é'), QStringLiteral("Ørsted-Kierkegaard-Bjørnstjerne-Bjørnson-Ødegård-Åkesson"),
         QStringLiteral("zoë.ørsted.with.a.very.long.address@exämple.org"),
         QString(90, u'é') + QStringLiteral(" Ørsted-Kierkegaard-Bjørnstjerne-Bjørnson-Ødegård-Åkesson"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.formatted.toStdString());
        const QString uid = vcard::newUid();
        const QByteArray card = vcard::personCard(uid, c.first, c.last, c.email, c.category);
        for (const QByteArray& line : card.split('\n'))
            EXPECT_LE(line.size(), 76) << line.constData();  // 75 octets and the "\r"
        const KContacts::Addressee parsed = KContacts::VCardConverter().parseVCard(card);
        EXPECT_EQ(parsed.uid(), uid);
        EXPECT_EQ(parsed.givenName(), c.first);
        EXPECT_EQ(parsed.familyName(), c.last);
        EXPECT_EQ(parsed.formattedName(), c.formatted);
        EXPECT_EQ(parsed.emails(), c.email.isEmpty() ? QStringList() : QStringList{c.email});
        EXPECT_EQ(parsed.categories(), c.category.isEmpty() ? QStringList() : QStringList{c.category});
        EXPECT_TRUE(card.contains("\r\nVERSION:4.0\r\n"));
    }
}

TEST(GroupCard, NamesItsMembersBothWays)
{
    const QStringList members{vcard::newUid(), vcard::newUid()};
    const QByteArray card = vcard::groupCard(QStringLiteral("urn:uuid:g"), QStringLiteral("Quorvell 2026-12-06 07:10:23 +0100"), members);
    const KContacts::Addressee parsed = KContacts::VCardConverter().parseVCard(card);
    EXPECT_EQ(parsed.kind(), QStringLiteral("group"));
    EXPECT_EQ(parsed.formattedName(), QStringLiteral("Quorvell 2026-12-06 07:10:23 +0100"));
    EXPECT_EQ(parsed.members(), members);
    for (const QString& member : members)
        EXPECT_TRUE(card.contains("\r\nX-ADDRESSBOOKSERVER-MEMBER:" + member.toUtf8() + "\r\n"));
    EXPECT_TRUE(card.contains("\r\nX-ADDRESSBOOKSERVER-KIND:group\r\n"));
}

}  // namespace

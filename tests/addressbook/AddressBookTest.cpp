// The vCard folder store: where it lives, what its searches match, what it writes
// and what it refuses to touch, and its lock.

#include "platform/addressbook/AddressBook.h"

#include "BookFolder.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using platform::addressbook::AddressBook;
using platform::addressbook::Property;
using platform::addressbook::RecordId;

namespace {

using namespace std::chrono_literals;

TEST(AddressBookFolder, FollowsTheXdgDataHome)
{
    BookFolder world;
    const struct {
        const char* dataHome;  // nullptr: unset
        QString expected;
    } cases[] = {
        {"/srv/data", QStringLiteral("/srv/data/quorvell/addressbook")},
        {nullptr, world.root() + QStringLiteral("/home/.local/share/quorvell/addressbook")},
        {"", world.root() + QStringLiteral("/home/.local/share/quorvell/addressbook")},
        {"relative/data", world.root() + QStringLiteral("/home/.local/share/quorvell/addressbook")},
    };
    for (const auto& c : cases) {
        if (c.dataHome)
            qputenv("XDG_DATA_HOME", c.dataHome);
        else
            qunsetenv("XDG_DATA_HOME");
        EXPECT_EQ(AddressBook::defaultFolder(), c.expected) << (c.dataHome ? c.dataHome : "(unset)");
    }
}

TEST(AddressBookOpen, MakesAPrivateFolderOrGivesNone)
{
    BookFolder world;
    auto book = AddressBook::open(world.folder());
    ASSERT_TRUE(book);
    EXPECT_EQ(QFileInfo(world.folder()).permissions() & 0x0077, 0);
    book.reset();

    QFile blocker(world.root() + QStringLiteral("/a-file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(AddressBook::open(world.root() + QStringLiteral("/a-file")));
    EXPECT_FALSE(AddressBook::open(world.root() + QStringLiteral("/a-file/below")));
}

TEST(AddressBookOpen, SkipsBrokenFilesAndLogsEachOnce)
{
    BookFolder world;
    world.addFixtures({"unterminated-card.vcf", "not-a-vcard.vcf", "begin-inside-card.vcf", "no-uid-lf.vcf"});
    auto book = AddressBook::open(world.folder());
    ASSERT_TRUE(book);
    EXPECT_EQ(book->unreadableFiles(),
              QStringList({"begin-inside-card.vcf", "not-a-vcard.vcf", "unterminated-card.vcf"}));
    EXPECT_EQ(world.logLines().size(), 3);
    for (const QString& file : book->unreadableFiles())
        EXPECT_EQ(world.logLines().filter(file).size(), 1) << file.toStdString();
    // The broken card's name is not found.
    EXPECT_TRUE(book->peopleNamed(QStringLiteral("Dana"), QStringLiteral("Unfinished")).empty());
    EXPECT_EQ(book->peopleNamed(QStringLiteral("carla"), QStringLiteral("NGUYEN")).size(), 1u);
}

TEST(AddressBookSearch, MatchesNamesIgnoringCase)
{
    BookFolder world;
    world.addFixtures({"vcard30-apple-ann-lee.vcf", "vcard21-quoted-printable-note.vcf"});
    world.addFile(QStringLiteral("mono.vcf"), "BEGIN:VCARD\nVERSION:3.0\nUID:m\nN:;Madonna;;;\nFN:Madonna\nEND:VCARD\n");
    world.addFile(QStringLiteral("company.vcf"),
                  "BEGIN:VCARD\nVERSION:3.0\nUID:c\nN:;;;;\nFN:Acme\nORG:Acme\nEND:VCARD\n");
    auto book = AddressBook::open(world.folder());
    ASSERT_TRUE(book);
    const struct {
        const char* first;
        std::optional<const char*> last;
        size_t matches;
    } cases[] = {
        {"Ann", "Lee", 1},
        {"ANN", "lee", 1},
        {"Ann", std::nullopt, 0},
        {"Ann", "", 0},
        {"Jörg", "Brandt", 1},
        {"JÖRG", "BRANDT", 1},
        {"madonna", std::nullopt, 1},
        {"madonna", "", 1},
        {"Madonna", "X", 0},
        {"", std::nullopt, 0},  // no name: not the nameless company card
        {"", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << " / " << (c.last ? *c.last : "(absent)"));
        const auto last = c.last ? std::optional<QString>(QString::fromUtf8(*c.last)) : std::nullopt;
        EXPECT_EQ(book->peopleNamed(QString::fromUtf8(c.first), last).size(), c.matches);
    }
}

TEST(AddressBookRecords, AdditionsAreFoundBeforeAnySave)
{
    BookFolder world;
    auto book = AddressBook::open(world.folder());
    ASSERT_TRUE(book);
    const RecordId person = book->createPerson();
    EXPECT_TRUE(book->setValue(person, Property::FirstName, QStringLiteral("Ann")));
    EXPECT_TRUE(book->peopleNamed(QStringLiteral("Ann"), std::nullopt).empty()) << "not part of the book yet";
    EXPECT_TRUE(book->addRecord(person));
    EXPECT_EQ(book->peopleNamed(QStringLiteral("ann"), std::nullopt), std::vector<RecordId>{person});
    // A value set after the add moves the person in the index.
    EXPECT_TRUE(book->setValue(person, Property::LastName, QStringLiteral("Lee")));
    EXPECT_TRUE(book->peopleNamed(QStringLiteral("ann"), std::nullopt).empty());
    EXPECT_EQ(book->peopleNamed(QStringLiteral("ann"), QStringLiteral("lee")), std::vector<RecordId>{person});

    const RecordId group = book->createGroup();
    EXPECT_FALSE(book->setValue(group, Property::FirstName, QStringLiteral("x")));
    EXPECT_FALSE(book->setValue(person, Property::GroupName, QStringLiteral("x")));
    EXPECT_TRUE(book->setValue(group, Property::GroupName, QStringLiteral("Friends")));
    EXPECT_FALSE(book->addMember(group, person)) << "the group is not part of the book";
    EXPECT_TRUE(book->addRecord(group));
    EXPECT_EQ(book->groupsNamed(QStringLiteral("FRIENDS")), std::vector<RecordId>{group});
    EXPECT_TRUE(world.files().isEmpty()) << "nothing is written before a save";
}

TEST(AddressBookRecords, CardsReadFromTheFolderTakeNoValues)
{
    BookFolder world;
    world.addFixtures({"vcard30-apple-ann-lee.vcf"});
    auto book = AddressBook::open(world.folder());
    ASSERT_TRUE(book);
    const auto found = book->peopleNamed(QStringLiteral("ann"), QStringLiteral("lee"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_FALSE(book->setValue(found.front(), Property::Email, QStringLiteral("new@example.com")));
    EXPECT_EQ(book->value(found.front(), Property::Email), QStringLiteral("ann.home@example.net"));
    EXPECT_FALSE(book->setValue(12345, Property::FirstName, QStringLiteral("x")));
    EXPECT_FALSE(book->addMember(12345, found.front()));
}

TEST(AddressBookSave, WritesPeopleAndGroupsOnceEach)
{
    BookFolder world;
    world.addFixtures({"vcard30-apple-ann-lee.vcf", "no-uid-lf.vcf"});
    {
        auto book = AddressBook::open(world.folder());
        ASSERT_TRUE(book);
        const RecordId group = book->createGroup();
        ASSERT_TRUE(book->setValue(group, Property::GroupName, QStringLiteral("Friends")));
        ASSERT_TRUE(book->addRecord(group));
        const RecordId bob = book->createPerson();
        ASSERT_TRUE(book->setValue(bob, Property::FirstName, QStringLiteral("Bob")));
        ASSERT_TRUE(book->setValue(bob, Property::Email, QStringLiteral("bob@example.com")));
        ASSERT_TRUE(book->addRecord(bob));
        const RecordId ann = book->peopleNamed(QStringLiteral("Ann"), QStringLiteral("Lee")).front();
        const RecordId carla = book->peopleNamed(QStringLiteral("Carla"), QStringLiteral("Nguyen")).front();
        for (const RecordId member : {bob, ann, carla, bob, carla})
            EXPECT_TRUE(book->addMember(group, member));
        EXPECT_EQ(book->members(group).size(), 3);
        EXPECT_TRUE(book->save());
        // A second save has nothing left to write.
        const auto written = world.files();
        EXPECT_TRUE(book->save());
        EXPECT_EQ(world.files(), written);
    }
    const auto groups = world.groups();
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups.front().formattedName(), QStringLiteral("Friends"));
    QStringList uids;
    for (const auto& person : world.people())
        uids << person.uid();
    QStringList members = groups.front().members();
    EXPECT_EQ(members.size(), 3);
    members.replaceInStrings(QStringLiteral("urn:uuid:5c3a7f0e"), QStringLiteral("5c3a7f0e"));
    for (const QString& member : members)
        EXPECT_TRUE(uids.contains(member)) << member.toStdString();
    EXPECT_EQ(world.files().value(QStringLiteral("vcard30-apple-ann-lee.vcf")),
              BookFolder::fixture(QStringLiteral("vcard30-apple-ann-lee.vcf")));
}

TEST(AddressBookSave, LeavesAFileChangedOrRemovedByAnotherProgramAlone)
{
    const std::optional<QByteArray> cases[] = {
        QByteArray("BEGIN:VCARD\nVERSION:3.0\nN:Nguyen;Carla;;;\nFN:Carla N.\nEND:VCARD\n"),
        std::nullopt,  // removed: not brought back
    };
    for (const auto& edited : cases) {
        BookFolder world;
        world.addFixtures({"no-uid-lf.vcf"});
        auto book = AddressBook::open(world.folder());
        ASSERT_TRUE(book);
        const RecordId group = book->createGroup();
        ASSERT_TRUE(book->setValue(group, Property::GroupName, QStringLiteral("Friends")));
        ASSERT_TRUE(book->addRecord(group));
        const RecordId carla = book->peopleNamed(QStringLiteral("Carla"), QStringLiteral("Nguyen")).front();
        ASSERT_TRUE(book->addMember(group, carla));

        if (edited)
            world.addFile(QStringLiteral("no-uid-lf.vcf"), *edited);
        else
            ASSERT_TRUE(QFile::remove(world.folder() + QStringLiteral("/no-uid-lf.vcf")));
        world.clearLog();
        EXPECT_FALSE(book->save());
        EXPECT_EQ(world.files().value(QStringLiteral("no-uid-lf.vcf")), edited.value_or(QByteArray()));
        EXPECT_EQ(world.files().contains(QStringLiteral("no-uid-lf.vcf")), edited.has_value());
        EXPECT_EQ(world.logLines().size(), 1);
        ASSERT_EQ(world.groups().size(), 1);
        EXPECT_TRUE(world.groups().front().members().isEmpty()) << "no member without a UID on disk";
    }
}

TEST(AddressBookLock, OneOpenBookAtATime)
{
    BookFolder world;
    auto first = AddressBook::open(world.folder());
    ASSERT_TRUE(first);
    EXPECT_FALSE(AddressBook::open(world.folder(), 50ms));
    first.reset();
    EXPECT_TRUE(AddressBook::open(world.folder(), 50ms));
}

}  // namespace

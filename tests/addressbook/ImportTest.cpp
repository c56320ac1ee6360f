// The group import against a real vCard folder in a temporary XDG_DATA_HOME, read
// back with KF5 Contacts and with khard.

#include "addressbook/AddressBookImport.h"

#include "BookFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const QRegularExpression kGroupName(QStringLiteral("^Quorvell \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d [+-]\\d{4}$"));

KContacts::Addressee onlyGroup(const BookFolder& world)
{
    const auto groups = world.groups();
    EXPECT_EQ(groups.size(), 1);
    return groups.isEmpty() ? KContacts::Addressee() : groups.front();
}

struct NewPersonCase {
    const char* text;
    const char* firstName;
    const char* lastName;
    QStringList emails;
};

TEST(Import, FilesEveryKindOfEntryAsANewMemberOfANewGroup)
{
    const NewPersonCase cases[] = {
        {"Ann Marie Lee <ann@example.com>", "Ann Marie", "Lee", {"ann@example.com"}},
        {"Ann <ann@example.com>", "Ann", "", {"ann@example.com"}},
        {"\"Lee, Ann\" <ann@example.com>", "\"Lee,", "Ann\"", {"ann@example.com"}},
        {"Ann Lee <>", "Ann", "Lee", {}},
        // A recipient line with several recipients is one entry, cut by its last word.
        {"Ann Lee <a@x>, Bob Roe <b@y>", "Ann Lee <a@x>, Bob", "Roe", {"b@y"}},
    };
    for (const NewPersonCase& c : cases) {
        SCOPED_TRACE(c.text);
        BookFolder world;
        EXPECT_TRUE(quorvell::importToAddressBook(QString::fromUtf8(c.text)));
        EXPECT_EQ(world.logLines(), QStringList{"Parsing sender data..."});
        const auto people = world.people();
        ASSERT_EQ(people.size(), 1);
        EXPECT_EQ(people.front().givenName(), QString::fromUtf8(c.firstName));
        EXPECT_EQ(people.front().familyName(), QString::fromUtf8(c.lastName));
        EXPECT_EQ(people.front().emails(), c.emails);
        const KContacts::Addressee group = onlyGroup(world);
        EXPECT_TRUE(kGroupName.match(group.formattedName()).hasMatch()) << group.formattedName().toStdString();
        EXPECT_EQ(group.members(), QStringList{people.front().uid()});
        EXPECT_EQ(people.front().categories(), QStringList{group.formattedName()});
    }
}

TEST(Import, NamesTheGroupAfterTheMomentWithItsOffset)
{
    BookFolder world;
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    ASSERT_TRUE(quorvell::importToAddressBook(QStringLiteral("Ann <a>")));
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    const QString name = onlyGroup(world).formattedName();
    const QDateTime stamp = QDateTime::fromString(name.mid(9), QStringLiteral("yyyy-MM-dd HH:mm:ss t"));
    ASSERT_TRUE(stamp.isValid()) << name.toStdString();
    EXPECT_LE(before, stamp);
    EXPECT_LE(stamp, after);
    const int offset = QDateTime::currentDateTime().offsetFromUtc() / 60;
    EXPECT_TRUE(name.endsWith(QStringLiteral("%1%2%3")
                                  .arg(QChar(offset < 0 ? u'-' : u'+'))
                                  .arg(std::abs(offset) / 60, 2, 10, QLatin1Char('0'))
                                  .arg(std::abs(offset) % 60, 2, 10, QLatin1Char('0'))));
}

TEST(Import, ReusesAnExistingPersonWithoutChangingIt)
{
    BookFolder world;
    world.addFixtures({"vcard30-apple-ann-lee.vcf"});
    ASSERT_TRUE(quorvell::importToAddressBook(QStringLiteral("Ann Lee <new@example.com>")));
    EXPECT_EQ(world.people().size(), 1);
    EXPECT_EQ(world.files().value(QStringLiteral("vcard30-apple-ann-lee.vcf")),
              BookFolder::fixture(QStringLiteral("vcard30-apple-ann-lee.vcf")));
    EXPECT_EQ(onlyGroup(world).members(), QStringList{"urn:uuid:5c3a7f0e-1b2c-4d5e-8f90-1234567890ab"});
}

// A person in the book is reused, its card byte for byte; each address it lacks (in
// any letter case) is named in the log and counted in the notification.
TEST(Import, NamesEveryAddressItDoesNotFile)
{
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:LEE;ann;;;\r\nFN:ann LEE\r\n"
                            "EMAIL;type=HOME:ann.home@example.net\r\nEMAIL;type=WORK:ann.work@example.com\r\n"
                            "UID:ann-lee\r\nEND:VCARD\r\n";
    const struct {
        const char* text;
        QStringList reports;
    } cases[] = {
        {"Ann Lee <ann.home@example.net>\nANN LEE <Ann.Work@Example.com>\nAnn Lee <>", {}},
        {"Ann Lee <new@example.com>\nann lee <o@example.org>",
         {"Ann Lee <new@example.com> already in the address book as ann LEE; new@example.com not added",
          "ann lee <o@example.org> already in the address book as ann LEE; o@example.org not added"}},
        // Reused within one import: the person it has just made.
        {"Susan Davis <s@example.co.uk>\nSusan Davis <s@example.org>\nSUSAN DAVIS <S@EXAMPLE.CO.UK>",
         {"Susan Davis <s@example.org> already in the address book as Susan Davis; s@example.org not added"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        BookFolder world;
        world.addFile(QStringLiteral("ann.vcf"), card);
        ASSERT_TRUE(quorvell::importToAddressBook(QString::fromUtf8(c.text)));
        EXPECT_EQ(world.files().value(QStringLiteral("ann.vcf")), card);
        EXPECT_EQ(world.logLines().filter(QStringLiteral(" already in the address book as ")), c.reports);
        // The notification's count ("1 address", "2 addresses"), logged with it.
        EXPECT_EQ(world.logLines().filter(QStringLiteral("\": %1 address").arg(c.reports.size())).size(),
                  c.reports.isEmpty() ? 0 : 1);
    }
}

// Empty lines make nobody; one sender three times, whatever the case of the name,
// is one person with the first address and one membership.
TEST(Import, EachPersonOnceAndNobodyForEmptyLines)
{
    const struct {
        const char* text;
        QStringList emails;  // of the one person filed; empty: nobody
    } cases[] = {
        {"", {}}, {"\n", {}}, {"\r\n\r\n", {}}, {"Ann <x> ", {}},
        {"\nBob <b>\n", {"b"}},
        {"Ann Lee <a@x>\nAnn Lee <a@x>\r\nANN LEE <other@x>", {"a@x"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString::fromUtf8(c.text).toUtf8().toPercentEncoding().constData());
        BookFolder world;
        EXPECT_TRUE(quorvell::importToAddressBook(QString::fromUtf8(c.text)));
        const auto people = world.people();
        ASSERT_EQ(people.size(), c.emails.isEmpty() ? 0 : 1);
        QStringList uids;
        for (const auto& person : people) {
            EXPECT_EQ(person.emails(), c.emails);
            uids << person.uid();
        }
        EXPECT_EQ(onlyGroup(world).members(), uids);
    }
}

TEST(Import, TheSecondImportOfASecondChangesNothing)
{
    BookFolder world;
    // Start early in a second, so that both imports fall inside it.
    while (QDateTime::currentDateTime().time().msec() > 300)
        QThread::msleep(20);
    ASSERT_TRUE(quorvell::importToAddressBook(QStringLiteral("Ann <a>")));
    const auto files = world.files();
    world.clearLog();
    EXPECT_FALSE(quorvell::importToAddressBook(QStringLiteral("Bob <b>")));
    const QString name = onlyGroup(world).formattedName();
    EXPECT_EQ(world.logLines(), QStringList({"Parsing sender data...",
                                             "The group named \"" + name + "\" already exists",
                                             "Could not create a group named  \"" + name + "\""}));
    EXPECT_EQ(world.files(), files);
}

TEST(Import, WithoutAnAddressBookLogsAndStops)
{
    BookFolder world;
    QFile blocker(world.root() + QStringLiteral("/data"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(quorvell::importToAddressBook(QStringLiteral("Ann <a>")));
    ASSERT_EQ(world.logLines().size(), 2);
    EXPECT_EQ(world.logLines()[0], QStringLiteral("Parsing sender data..."));
    EXPECT_TRUE(world.logLines()[1].startsWith(QStringLiteral("Could not create a group named  \"Quorvell ")));
}

// A folder the person may read but not write, its lock file left by an earlier
// import: nothing can be saved, and the import says so instead of reporting success.
TEST(Import, AFolderItCannotWriteIsAFailure)
{
    BookFolder world;
    ASSERT_TRUE(QDir().mkpath(world.folder()));
    QFile lock(world.folder() + QStringLiteral("/.quorvell.lock"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    const auto everyone = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther
        | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    ASSERT_TRUE(lock.setPermissions(everyone | QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
    for (const QString& dir : {world.root(), world.root() + QStringLiteral("/data"),
                               world.root() + QStringLiteral("/data/quorvell"), world.folder()})
        ASSERT_TRUE(QFile::setPermissions(dir, everyone | (dir == world.folder() ? QFileDevice::Permissions() : QFileDevice::WriteOwner)));
    // root writes anywhere: the import runs as nobody.
    const bool asRoot = ::geteuid() == 0;
    ASSERT_TRUE(!asRoot || ::seteuid(65534) == 0);
    const bool imported = quorvell::importToAddressBook(QStringLiteral("Ann <a>"));
    ASSERT_TRUE(!asRoot || ::seteuid(0) == 0);
    EXPECT_FALSE(imported);
    EXPECT_EQ(world.logLines().filter(QStringLiteral("Could not save the address book")).size(), 1) << world.logLines().join(u'\n').toStdString();
    EXPECT_TRUE(world.files().isEmpty());
    QFile::setPermissions(world.folder(), everyone | QFileDevice::WriteOwner);
}

// khard, configured on the same folder, lists the people, addresses and categories.
TEST(Import, KhardListsTheNewPeople)
{
    const QString khard = QStandardPaths::findExecutable(QStringLiteral("khard"));
    if (khard.isEmpty())
        GTEST_SKIP() << "khard is not installed";
    BookFolder world;
    ASSERT_TRUE(quorvell::importToAddressBook(
        QStringLiteral("Ann Marie Lee <ann@example.com>\nbob@example.org\nZoë Ørsted <zoe@example.net>")));
    const QString output = world.khard({QStringLiteral("email"), QStringLiteral("--parsable")});
    // The listing's lines carry tabs; khard's own remarks do not.
    const QStringList lines = output.split(u'\n', Qt::SkipEmptyParts).filter(QStringLiteral("\t"));
    EXPECT_EQ(lines.size(), 3) << output.toStdString();
    for (const char* expected : {"ann@example.com\tAnn Marie Lee", "bob@example.org\tbob@example.org",
                                 "zoe@example.net\tZoë Ørsted"}) {
        EXPECT_EQ(lines.filter(QString::fromUtf8(expected)).size(), 1) << expected << "\n" << output.toStdString();
    }
    EXPECT_EQ(world.khard({QStringLiteral("list"), QStringLiteral("-F"), QStringLiteral("categories")})
                  .count(onlyGroup(world).formattedName()), 3);  // the group is every new person's category
}

}  // namespace

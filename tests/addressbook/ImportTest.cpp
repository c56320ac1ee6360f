// The group import against a real vCard folder in a temporary XDG_DATA_HOME, read
// back with KF5 Contacts and with khard.

#include "addressbook/AddressBookImport.h"

#include "BookFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

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
        {"ann@example.com", "ann@example.com", "", {"ann@example.com"}},
        {"<ann@example.com>", "<ann@example.com>", "", {"ann@example.com"}},
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

TEST(Import, OneSenderThreeTimesIsOnePersonAndOneMembership)
{
    BookFolder world;
    ASSERT_TRUE(quorvell::importToAddressBook(QStringLiteral("Ann Lee <a@x>\nAnn Lee <a@x>\r\nANN LEE <other@x>")));
    const auto people = world.people();
    ASSERT_EQ(people.size(), 1);
    EXPECT_EQ(people.front().emails(), QStringList{"a@x"});
    EXPECT_EQ(onlyGroup(world).members(), QStringList{people.front().uid()});
}

TEST(Import, EmptyLinesMakeNobody)
{
    const char* const texts[] = {"", "\n", "\r\n\r\n", "Ann <x> "};
    for (const char* text : texts) {
        SCOPED_TRACE(QString::fromUtf8(text).toUtf8().toPercentEncoding().constData());
        BookFolder world;
        EXPECT_TRUE(quorvell::importToAddressBook(QString::fromUtf8(text)));
        EXPECT_TRUE(world.people().isEmpty());
        EXPECT_TRUE(onlyGroup(world).members().isEmpty());
    }
    BookFolder world;
    EXPECT_TRUE(quorvell::importToAddressBook(QStringLiteral("\nBob <b>\n")));
    ASSERT_EQ(world.people().size(), 1);
    EXPECT_EQ(onlyGroup(world).members(), QStringList{world.people().front().uid()});
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

// Every file another program left in the folder keeps every byte, except the one
// UID line that a person without UID gets when it joins the group.
TEST(Import, KeepsEveryByteOfAnExistingFolder)
{
    BookFolder world;
    const QStringList fixtures{"vcard21-quoted-printable-note.vcf", "vcard30-apple-ann-lee.vcf",
                               "vcard40-unknown-properties-lf.vcf", "no-uid-lf.vcf",
                               "unterminated-card.vcf",            "not-a-vcard.vcf",
                               "begin-inside-card.vcf"};
    world.addFixtures(fixtures);
    ASSERT_TRUE(quorvell::importToAddressBook(
        QStringLiteral("Jörg Brandt <j@x>\nann lee <a@x>\nBob Roe <b@x>\nCarla Nguyen <c@x>\nDana Unfinished <d@x>")));

    const auto files = world.files();
    for (const QString& name : fixtures) {
        if (name == QLatin1String("no-uid-lf.vcf"))
            continue;
        EXPECT_EQ(files.value(name), BookFolder::fixture(name)) << name.toStdString();
    }
    const QByteArray carla = files.value(QStringLiteral("no-uid-lf.vcf"));
    const QRegularExpression inserted(QStringLiteral("^(BEGIN:VCARD\nVERSION:3.0\n)(UID:urn:uuid:[0-9a-f-]{36}\n)(.*)$"),
                                      QRegularExpression::DotMatchesEverythingOption);
    const auto match = inserted.match(QString::fromUtf8(carla));
    ASSERT_TRUE(match.hasMatch()) << carla.constData();
    EXPECT_EQ((match.captured(1) + match.captured(3)).toUtf8(), BookFolder::fixture(QStringLiteral("no-uid-lf.vcf")));

    // Four people were found, Dana (broken) is new; the group names all five.
    EXPECT_EQ(files.size(), fixtures.size() + 2);
    const QStringList members = onlyGroup(world).members();
    EXPECT_EQ(members.size(), 5);
    EXPECT_TRUE(members.contains(match.captured(2).mid(4).trimmed()));
    EXPECT_TRUE(members.contains(QStringLiteral("urn:uuid:0e7c5c1a-4000-4000-8000-000000000040")));
    EXPECT_TRUE(members.contains(QStringLiteral("urn:uuid:b7a1c2d3-2101-4000-8000-000000000021")));
    EXPECT_EQ(world.logLines().filter(QStringLiteral("unterminated-card.vcf")).size(), 1);
}

// khard, configured on the same folder, lists the people and their addresses.
TEST(Import, KhardListsTheNewPeople)
{
    const QString khard = QStandardPaths::findExecutable(QStringLiteral("khard"));
    if (khard.isEmpty())
        GTEST_SKIP() << "khard is not installed";
    BookFolder world;
    ASSERT_TRUE(quorvell::importToAddressBook(
        QStringLiteral("Ann Marie Lee <ann@example.com>\nbob@example.org\nZoë Ørsted <zoe@example.net>")));
    const QString config = world.root() + QStringLiteral("/khard.conf");
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[addressbooks]\n[[quorvell]]\npath = " + world.folder().toUtf8()
               + "\n[general]\ndefault_action = list\n");
    file.close();

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), world.root() + QStringLiteral("/home"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(khard, {QStringLiteral("-c"), config, QStringLiteral("email"), QStringLiteral("--parsable")});
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().constData();
    // The listing's lines carry tabs; khard's own remarks do not.
    const QStringList lines = output.split(u'\n', Qt::SkipEmptyParts).filter(QStringLiteral("\t"));
    EXPECT_EQ(lines.size(), 3) << output.toStdString();
    for (const char* expected : {"ann@example.com\tAnn Marie Lee", "bob@example.org\tbob@example.org",
                                 "zoe@example.net\tZoë Ørsted"}) {
        EXPECT_EQ(lines.filter(QString::fromUtf8(expected)).size(), 1) << expected << "\n" << output.toStdString();
    }
}

}  // namespace

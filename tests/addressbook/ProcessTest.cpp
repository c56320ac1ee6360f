// The import in a second process, so that a hang fails the test instead of
// stalling it, and under a locale that writes its own digits: killed halfway, two
// at once, and one into a folder shared with other programs that holds whatever a
// folder can hold.

#include "platform/addressbook/AddressBook.h"
#include "platform/addressbook/CardFiles.h"
#include "platform/addressbook/VCardText.h"

#include "BookFolder.h"

#include <KContacts/VCardConverter>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString writeSenders(const BookFolder& world, const QString& prefix, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("%1 Person%2 <%1.%2@example.com>\n").arg(prefix).arg(i);
    const QString path = world.root() + QStringLiteral("/") + prefix + QStringLiteral(".txt");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
    return path;
}

// Counted with readdir alone: a QDir listing stats every entry, and polled often
// over thousands of temporary files it would slow the writer it watches.
int countFilesEndingIn(const QString& folder, const char* suffix)
{
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return 0;
    int count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (QByteArray(entry->d_name).endsWith(suffix))
            ++count;
    }
    ::closedir(dir);
    return count;
}

std::unique_ptr<QProcess> startHelper(const BookFolder& world, const QStringList& arguments)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), world.root() + QStringLiteral("/home"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), world.root() + QStringLiteral("/data"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("ar_EG.UTF-8"));
    process->setProcessEnvironment(environment);
    process->start(QStringLiteral(QUORVELL_IMPORT_HELPER), arguments);
    EXPECT_TRUE(process->waitForStarted());
    return process;
}

// Polls until done() holds, for at most a minute.
template <class Done>
bool waitUntil(Done done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 60000)
            return false;
        QThread::msleep(2);
    }
    return true;
}

// Whether the process has the book's lock file open: an import then has named its
// group and holds the lock or waits for it.
bool opensLock(const QProcess& process, const BookFolder& world)
{
    const QString lock = QFileInfo(world.folder() + QStringLiteral("/.quorvell.lock")).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(process.processId()));
    const QStringList entries = fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    return !lock.isEmpty() && std::any_of(entries.begin(), entries.end(), [&](const QString& fd) {
        return QFile::symLinkTarget(fds.filePath(fd)) == lock;
    });
}

// Every ".vcf" of the folder is a complete card that KF5 Contacts reads.
void expectOnlyCompleteCards(const BookFolder& world)
{
    const KContacts::VCardConverter converter;
    const auto files = world.files();
    for (auto it = files.begin(); it != files.end(); ++it) {
        ASSERT_TRUE(platform::addressbook::vcard::splitCards(it.value())) << it.key().toStdString();
        EXPECT_EQ(converter.parseVCards(it.value()).size(), 1) << it.key().toStdString();
    }
}

TEST(ImportProcess, KilledHalfwayLeavesOnlyCompleteCards)
{
    BookFolder world;
    const QString senders = writeSenders(world, QStringLiteral("Kill"), 1000);
    auto helper = startHelper(world, {QStringLiteral("import"), senders});
    // Kill it while it writes the people of its final save: amid the temporary
    // files, or amid the renames.
    QElapsedTimer clock;
    clock.start();
    while (countFilesEndingIn(world.folder(), ".tmp") < 300 && countFilesEndingIn(world.folder(), ".vcf") < 10
           && clock.elapsed() < 60000)
        QThread::msleep(1);
    helper->kill();
    ASSERT_TRUE(helper->waitForFinished());
    ASSERT_EQ(helper->exitStatus(), QProcess::CrashExit) << "the import ended before it could be killed";
    EXPECT_LT(world.files().size(), 1001);
    expectOnlyCompleteCards(world);
    // The kernel released the lock with the process; the next book clears what the
    // killed one left half done.
    EXPECT_TRUE(platform::addressbook::AddressBook::open(world.folder(), std::chrono::seconds(1)));
    EXPECT_TRUE(QDir(world.folder()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".tmp")).isEmpty());
}

TEST(ImportProcess, TwoImportsWaitForEachOtherAndLoseNothing)
{
    BookFolder world;
    auto holder = startHelper(world, {QStringLiteral("hold")});
    ASSERT_TRUE(holder->waitForReadyRead(30000));
    ASSERT_EQ(holder->readLine().trimmed(), QByteArray("locked"));

    auto first = startHelper(world, {QStringLiteral("import"), writeSenders(world, QStringLiteral("First"), 60)});
    // Group names carry the second: the second import names its group in a later one.
    ASSERT_TRUE(waitUntil([&] { return opensLock(*first, world); }));
    const qint64 firstNamed = QDateTime::currentSecsSinceEpoch();
    ASSERT_TRUE(waitUntil([&] { return QDateTime::currentSecsSinceEpoch() > firstNamed; }));
    auto second = startHelper(world, {QStringLiteral("import"), writeSenders(world, QStringLiteral("Second"), 60)});
    ASSERT_TRUE(waitUntil([&] { return opensLock(*second, world); }));
    EXPECT_EQ(first->state(), QProcess::Running) << "the import did not wait for the lock";
    EXPECT_EQ(second->state(), QProcess::Running) << "the import did not wait for the lock";

    holder->closeWriteChannel();
    ASSERT_TRUE(holder->waitForFinished());
    for (QProcess* import : {first.get(), second.get()}) {
        ASSERT_TRUE(import->waitForFinished(60000));
        EXPECT_EQ(import->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(import->exitCode(), 0);
    }

    expectOnlyCompleteCards(world);
    EXPECT_EQ(world.people().size(), 120);
    const auto groups = world.groups();
    ASSERT_EQ(groups.size(), 2);
    QStringList uids;
    for (const auto& person : world.people())
        uids << person.uid();
    for (const auto& group : groups) {
        EXPECT_EQ(group.members().size(), 60);
        for (const QString& member : group.members())
            EXPECT_TRUE(uids.contains(member));
    }
}


// Every entry of a folder by its byte name: a regular file's bytes, a link's target,
// or the kind of anything else.
QMap<QByteArray, QByteArray> snapshot(const QByteArray& folder)
{
    QMap<QByteArray, QByteArray> entries;
    DIR* dir = ::opendir(folder.constData());
    while (const dirent* entry = dir ? ::readdir(dir) : nullptr) {
        const QByteArray name(entry->d_name), path = folder + '/' + name;
        struct stat info {};
        if (name.startsWith('.') || ::lstat(path.constData(), &info) != 0)
            continue;
        if (S_ISLNK(info.st_mode)) {
            char target[512] = {};
            entries[name] = "link to " + QByteArray(target, int(::readlink(path.constData(), target, sizeof target)));
        } else if (S_ISREG(info.st_mode) && info.st_size < 1024 * 1024) {
            QByteArray bytes(int(info.st_size), '\0');
            const int fd = ::open(path.constData(), O_RDONLY);
            entries[name] = ::read(fd, bytes.data(), size_t(bytes.size())) == info.st_size ? bytes : "unreadable";
            ::close(fd);
        } else {
            entries[name] = "mode " + QByteArray::number(info.st_mode & S_IFMT) + " size " + QByteArray::number(qint64(info.st_size));
        }
    }
    if (dir)
        ::closedir(dir);
    return entries;
}

// khard's listing of the folder, one line per card it can read.
QStringList khardList(const BookFolder& world)
{
    return world.khard({QStringLiteral("--skip-unparsable"), QStringLiteral("list"), QStringLiteral("--parsable")})
        .split(u'\n', Qt::SkipEmptyParts);
}

TEST(HostileFolder, ForeignCardsKeepEveryByteButOneUidLine)
{
    BookFolder world;
    ASSERT_TRUE(QDir().mkpath(world.folder()));
    ASSERT_TRUE(QDir().mkpath(world.root() + QStringLiteral("/elsewhere")));
    const QByteArray folder = QFile::encodeName(world.folder());
    const QByteArray bob = BookFolder::fixture(QStringLiteral("vcard40-unknown-properties-lf.vcf"));
    const struct {
        QByteArray name;
        QByteArray bytes;
        bool getsUid;
    } cards[] = {
        {"folded.vcf", "BEGIN:VCARD\r\nVERSION:\r\n 3.0\r\nN:Fold;Fa\r\n ye;;;\r\nFN:Faye\r\n  Fold\r\nEND:VCARD\r\n", true},
        {"bom.vcf", "\xEF\xBB\xBF" "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Bom;Bea;;;\r\nFN:Bea Bom\r\nEND:VCARD\r\n", true},
        {"caf\xE9.vcf", "BEGIN:VCARD\nVERSION:3.0\nN:Caf;Cee;;;\nFN:Cee Caf\nEND:VCARD\n", true},
        {"no-uid-lf.vcf", BookFolder::fixture(QStringLiteral("no-uid-lf.vcf")), true},
        {"v21.vcf", BookFolder::fixture(QStringLiteral("vcard21-quoted-printable-note.vcf")), false},
        {"v30.vcf", BookFolder::fixture(QStringLiteral("vcard30-apple-ann-lee.vcf")), false},
        {"v40.vcf", bob, false},
        // Bob's card copied under another name: one UID, one member.
        {"v40-copy.vcf", QByteArray(bob).replace("Bob Roe", "Robert Roe").replace("Roe;Bob", "Roe;Robert"), false},
        {"empty.vcf", "", false},
    };
    for (const auto& card : cards) {
        // By its bytes: QFile would turn the name that is not UTF-8 into another one.
        const int fd = ::open(folder + '/' + card.name, O_WRONLY | O_CREAT | O_EXCL, 0600);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::write(fd, card.bytes.constData(), size_t(card.bytes.size())), card.bytes.size());
        ::close(fd);
    }
    QFile lena(world.root() + QStringLiteral("/elsewhere/lena.vcf"));
    ASSERT_TRUE(lena.open(QIODevice::WriteOnly));
    lena.write("BEGIN:VCARD\nVERSION:3.0\nN:Link;Lena;;;\nFN:Lena Link\nEND:VCARD\n");
    lena.close();
    ASSERT_EQ(::symlink("../../../elsewhere/lena.vcf", folder + "/linked.vcf"), 0);
    ASSERT_EQ(::symlink("nowhere.vcf", folder + "/dangling.vcf"), 0);
    ASSERT_EQ(::symlink("loop.vcf", folder + "/loop.vcf"), 0);
    ASSERT_EQ(::mkdir(folder + "/directory.vcf", 0700), 0);
    // khard blocks on the FIFO and reads the huge file for long: it sees neither.
    const QStringList khardBefore = khardList(world);
    ASSERT_EQ(::mkfifo(folder + "/fifo.vcf", 0600), 0);
    {
        const int fd = ::open(folder + "/huge.vcf", O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, platform::addressbook::kLargestCardFile + 1), 0);
        ::close(fd);
    }
    const auto before = snapshot(folder);

    const QString senders = world.root() + QStringLiteral("/senders.txt");
    QFile text(senders);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("Faye Fold <f@x>\nBea Bom <b@x>\nCee Caf <c@x>\nCarla Nguyen <c@x>\nJörg Brandt <j@x>\n"
               "ann lee <a@x>\nBob Roe <b@x>\nRobert Roe <r@x>\nLena Link <l@x>\nNew Person <n@x>\n");
    text.close();
    const auto import = startHelper(world, {QStringLiteral("import"), senders});
    ASSERT_TRUE(import->waitForFinished(60000)) << "the import hangs";
    EXPECT_EQ(import->exitCode(), 0);
    const QStringList log = QString::fromUtf8(import->readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);

    // Only the UID line is new in the cards that needed one, and it is the UID that
    // a reader finds and that the group names.
    const auto after = snapshot(folder);
    const QRegularExpression uidLine(QStringLiteral("(?:^|[\r\n])(UID:(urn:uuid:[0-9a-f-]{36})(\r\n|\n))"));
    QStringList members{"urn:uuid:b7a1c2d3-2101-4000-8000-000000000021", "urn:uuid:5c3a7f0e-1b2c-4d5e-8f90-1234567890ab",
                        "urn:uuid:0e7c5c1a-4000-4000-8000-000000000040"};
    for (const auto& card : cards) {
        SCOPED_TRACE(card.name.constData());
        QByteArray edited = after.value(card.name);
        const auto match = uidLine.match(QString::fromLatin1(edited));
        EXPECT_EQ(match.hasMatch() && !card.bytes.contains("UID:"), card.getsUid);
        if (match.hasMatch() && card.getsUid) {
            const auto parsed = KContacts::VCardConverter().parseVCards(edited.mid(edited.startsWith("\xEF") ? 3 : 0));
            ASSERT_EQ(parsed.size(), 1);
            EXPECT_EQ(parsed.front().uid(), match.captured(2));
            members << match.captured(2);
            edited.remove(match.capturedStart(1), match.capturedLength(1));
        }
        EXPECT_EQ(edited, card.bytes);
    }
    for (const QByteArray name : {"linked.vcf", "dangling.vcf", "loop.vcf", "directory.vcf", "fifo.vcf", "huge.vcf"})
        EXPECT_EQ(after.value(name), before.value(name)) << name.constData();
    lena.open(QIODevice::ReadOnly);
    EXPECT_FALSE(lena.readAll().contains("UID"));

    // One new person and one new group: Lena is a link without UID and joins no group.
    EXPECT_EQ(after.size(), before.size() + 2);
    ASSERT_EQ(::unlink(folder + "/fifo.vcf"), 0);
    ASSERT_EQ(::unlink(folder + "/huge.vcf"), 0);
    const auto groups = world.groups();
    ASSERT_EQ(groups.size(), 1);
    const QString name = groups.front().formattedName();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Quorvell [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8} [+-][0-9]{4}$"))
                    .match(name)
                    .hasMatch())
        << name.toStdString();
    QStringList named = groups.front().members();
    ASSERT_EQ(named.size(), members.size() + 1) << named.join(u' ').toStdString();
    for (const QString& member : members)
        EXPECT_EQ(named.count(member), 1) << member.toStdString();

    // One line for each entry left alone, with ASCII digits in the time stamps.
    for (const char* skipped : {"\"fifo.vcf\" in the address book: it is not a regular file",
                                "\"directory.vcf\" in the address book: it is not a regular file",
                                "\"dangling.vcf\" in the address book: it is a symbolic link that leads nowhere",
                                "\"loop.vcf\" in the address book: it is a symbolic link that leads nowhere",
                                "\"huge.vcf\" in the address book: it is larger than the limit",
                                "\"empty.vcf\" in the address book: it is not a complete vCard",
                                "\"linked.vcf\" in the address book is a link and has no UID; it joins no group"})
        EXPECT_EQ(log.filter(QString::fromUtf8(skipped)).size(), 1) << skipped << "\n" << log.join(u'\n').toStdString();
    const QStringList logged = log.filter(QRegularExpression(QStringLiteral("\\[[0-9]+\\] ")));
    EXPECT_FALSE(logged.isEmpty());
    for (const QString& line : logged)
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:.]{12} ")).match(line).hasMatch())
            << line.toStdString();

    const QStringList khardAfter = khardList(world);
    for (const QString& listed : khardBefore)
        EXPECT_TRUE(khardAfter.contains(listed)) << listed.toStdString();
    ::unlink(folder + "/caf\xE9.vcf");  // QTemporaryDir removes names by their decoded form
}

}  // namespace

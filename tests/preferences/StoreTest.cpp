// The store against real files: pending changes, synchronise, other processes,
// damaged files and refused input.

#include "platform/preferences/DomainStore.h"
#include "platform/preferences/PropertyList.h"
#include "tests/preferences/StoreFixture.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPoint>

#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace platform::preferences;

namespace {

using StoreTest = StoreFixture;

const QByteArray kDamaged = "<?xml version=\"1.0\"?><plist><dict><key>IncludeSubject</key><false/>";

TEST_F(StoreTest, MissingFileIsAnEmptyStoreAndReadingCreatesNothing)
{
    EXPECT_FALSE(copyAppValue(QStringLiteral("anything"), m_domain));
    EXPECT_TRUE(appSynchronize(m_domain));
    EXPECT_TRUE(copyAppValues(m_domain).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(file()));
    EXPECT_TRUE(m_log.isEmpty());
}

TEST_F(StoreTest, AValueIsSeenAtOnceAndReachesTheFileAtTheSynchroniseOnlyWhenItChanges)
{
    setAppValue(QStringLiteral("k"), QVariant(true), m_domain);
    EXPECT_TRUE(sameValue(*copyAppValue(QStringLiteral("k"), m_domain), QVariant(true)));
    EXPECT_FALSE(QFileInfo::exists(file()));

    ASSERT_TRUE(appSynchronize(m_domain));
    const auto onDisk = parsePropertyList(fileBytes());
    ASSERT_TRUE(onDisk.dictionary);
    EXPECT_TRUE(sameValue(onDisk.dictionary->value(QStringLiteral("k")), QVariant(true)));
    EXPECT_EQ(QFileInfo(file()).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);

    // Storing what the file already holds writes nothing; the integer 1 is a
    // different value from true and is written.
    const auto inode = QFileInfo(file()).fileTime(QFileDevice::FileMetadataChangeTime);
    setAppValue(QStringLiteral("k"), QVariant(true), m_domain);
    ASSERT_TRUE(appSynchronize(m_domain));
    EXPECT_EQ(QFileInfo(file()).fileTime(QFileDevice::FileMetadataChangeTime), inode);
    setAppValue(QStringLiteral("k"), QVariant(1), m_domain);
    ASSERT_TRUE(appSynchronize(m_domain));
    EXPECT_EQ(defaults({"read-type", m_domain, "k"}).out.trimmed(), QStringLiteral("Type is integer"));

    setAppValue(QStringLiteral("k"), QVariant(), m_domain);
    EXPECT_FALSE(copyAppValue(QStringLiteral("k"), m_domain));
    ASSERT_TRUE(appSynchronize(m_domain));
    EXPECT_TRUE(parsePropertyList(fileBytes()).dictionary->isEmpty());
}

TEST_F(StoreTest, OtherProcessesChangesArriveAtTheSynchroniseAndPendingOnesWin)
{
    setAppValue(QStringLiteral("mine"), QVariant(qlonglong(1)), m_domain);
    ASSERT_TRUE(appSynchronize(m_domain));
    ASSERT_EQ(defaults({"write", m_domain, "theirs", "-bool", "yes"}).status, 0);
    ASSERT_EQ(defaults({"write", m_domain, "mine", "-int", "2"}).status, 0);
    EXPECT_FALSE(copyAppValue(QStringLiteral("theirs"), m_domain)) << "seen before the synchronise";

    setAppValue(QStringLiteral("mine"), QVariant(qlonglong(3)), m_domain);
    ASSERT_TRUE(appSynchronize(m_domain));
    EXPECT_TRUE(sameValue(*copyAppValue(QStringLiteral("theirs"), m_domain), QVariant(true)));
    EXPECT_EQ(copyAppValue(QStringLiteral("mine"), m_domain)->toLongLong(), 3);
    EXPECT_EQ(defaults({QStringLiteral("read"), m_domain, QStringLiteral("mine")}).out.trimmed(), QStringLiteral("3"));

    ASSERT_EQ(defaults({QStringLiteral("delete"), m_domain, QStringLiteral("theirs")}).status, 0);
    ASSERT_TRUE(appSynchronize(m_domain));
    EXPECT_FALSE(copyAppValue(QStringLiteral("theirs"), m_domain));
}

TEST_F(StoreTest, DamagedFileReadsAsEmptyIsLoggedOnceAndIsKeptBeforeItIsReplaced)
{
    writeFile(kDamaged);
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(appSynchronize(m_domain));
        EXPECT_FALSE(copyAppValue(QStringLiteral("IncludeSubject"), m_domain));
    }
    EXPECT_EQ(m_log.size(), 1) << m_log.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(fileBytes(), kDamaged) << "a synchronise with nothing pending must not touch the file";

    // The next write also removes the temporary file of a writer killed halfway.
    const QString stale = QFileInfo(file()).dir().filePath(QLatin1Char('.') + QFileInfo(file()).fileName()
                                                           + QStringLiteral(".Ab12Cd"));
    ASSERT_TRUE(QFile(stale).open(QIODevice::WriteOnly));
    setAppValue(QStringLiteral("a"), QVariant(true), m_domain);
    ASSERT_TRUE(appSynchronize(m_domain));
    EXPECT_FALSE(QFileInfo::exists(stale));
    const QString backup = file() + QStringLiteral(".corrupt");
    QFile kept(backup);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), kDamaged);
    ASSERT_TRUE(parsePropertyList(fileBytes()).dictionary);

    setAppValue(QStringLiteral("b"), QVariant(false), m_domain);
    ASSERT_TRUE(appSynchronize(m_domain));
    kept.seek(0);
    EXPECT_EQ(kept.readAll(), kDamaged) << "the backup survives later writes";

    // A second damage gets a backup of its own.
    writeFile("not xml at all");
    setAppValue(QStringLiteral("c"), QVariant(true), m_domain);
    ASSERT_TRUE(appSynchronize(m_domain));
    QFile second(backup + QStringLiteral(".1"));
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    EXPECT_EQ(second.readAll(), QByteArray("not xml at all"));
    kept.seek(0);
    EXPECT_EQ(kept.readAll(), kDamaged);
    EXPECT_EQ(copyAppValues(m_domain).keys(), (QStringList{QStringLiteral("c")}));
}

TEST_F(StoreTest, AFileThatCannotBeKeptIsNotReplacedAndChangesStayPending)
{
    ASSERT_TRUE(QDir().mkpath(file()));  // a folder where the file belongs
    setAppValue(QStringLiteral("k"), QVariant(true), m_domain);
    EXPECT_FALSE(appSynchronize(m_domain));
    EXPECT_TRUE(QFileInfo(file()).isDir());
    EXPECT_TRUE(sameValue(*copyAppValue(QStringLiteral("k"), m_domain), QVariant(true)));

    ASSERT_TRUE(QDir(file()).removeRecursively());
    EXPECT_TRUE(appSynchronize(m_domain));
    EXPECT_TRUE(parsePropertyList(fileBytes()).dictionary->contains(QStringLiteral("k")));
}

TEST_F(StoreTest, ALockHeldByAStuckProcessStallsOneSynchroniseOnly)
{
    using namespace std::chrono;
    DomainStore::setLockTimeout(milliseconds(1500));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file()).absolutePath()));
    const QByteArray lockPath = QFile::encodeName(file() + QStringLiteral(".lock"));
    const int held = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    setAppValue(QStringLiteral("mine"), QVariant(true), m_domain);
    const auto start = steady_clock::now();
    EXPECT_FALSE(appSynchronize(m_domain));
    EXPECT_GE(steady_clock::now() - start, milliseconds(1400));

    // Later synchronises give up at once, yet still take in the file.
    writeFile(serializePropertyList({{QStringLiteral("theirs"), QVariant(qlonglong(5))}}));
    const auto again = steady_clock::now();
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(appSynchronize(m_domain));
    EXPECT_LT(steady_clock::now() - again, milliseconds(1400));
    EXPECT_EQ(copyAppValue(QStringLiteral("theirs"), m_domain)->toLongLong(), 5);
    EXPECT_TRUE(copyAppValue(QStringLiteral("mine"), m_domain)->toBool());

    ::close(held);
    EXPECT_TRUE(appSynchronize(m_domain));
    const auto stored = parsePropertyList(fileBytes());
    ASSERT_TRUE(stored.dictionary);
    EXPECT_EQ(stored.dictionary->keys(), (QStringList{QStringLiteral("mine"), QStringLiteral("theirs")}));
    DomainStore::setLockTimeout(seconds(10));
}

TEST_F(StoreTest, AFileBehindASymbolicLinkIsWrittenWhereItLives)
{
    const QString elsewhere = m_home.filePath(QStringLiteral("dotfiles/prefs.plist"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(elsewhere).absolutePath()) && QDir().mkpath(QFileInfo(file()).absolutePath()));
    QFile target(elsewhere);
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write(serializePropertyList({{QStringLiteral("old"), QVariant(true)}}));
    target.close();
    ASSERT_TRUE(QFile::link(elsewhere, file()));

    setAppValue(QStringLiteral("new"), QVariant(false), m_domain);
    ASSERT_TRUE(appSynchronize(m_domain));
    EXPECT_TRUE(QFileInfo(file()).isSymLink());
    ASSERT_TRUE(target.open(QIODevice::ReadOnly));
    const auto stored = parsePropertyList(target.readAll());
    ASSERT_TRUE(stored.dictionary);
    EXPECT_EQ(stored.dictionary->keys(), (QStringList{QStringLiteral("new"), QStringLiteral("old")}));
}

TEST_F(StoreTest, RefusedDomainsValuesAndConfigHomesStoreNothing)
{
    for (const QString& domain : {QString(), QStringLiteral("../escape"), QStringLiteral(".hidden"),
                                  QStringLiteral("a/b")}) {
        EXPECT_TRUE(domainFilePath(domain).isEmpty());
        setAppValue(QStringLiteral("k"), QVariant(true), domain);
        EXPECT_FALSE(copyAppValue(QStringLiteral("k"), domain));
        EXPECT_FALSE(appSynchronize(domain));
    }
    EXPECT_FALSE(QFileInfo::exists(m_home.filePath(QStringLiteral("escape.plist"))));

    setAppValue(QStringLiteral("k"), QVariant(QStringLiteral("kept")), m_domain);
    setAppValue(QStringLiteral("k"), QVariant(QPoint(1, 2)), m_domain);
    setAppValue(QStringLiteral("k"), QVariant(QString::fromUtf8("nul\0inside", 10)), m_domain);
    setAppValue(QStringLiteral("bad\x01key"), QVariant(true), m_domain);
    EXPECT_EQ(copyAppValue(QStringLiteral("k"), m_domain)->toString(), QStringLiteral("kept"));
    EXPECT_FALSE(copyAppValue(QStringLiteral("bad\x01key"), m_domain));
    EXPECT_EQ(m_log.size(), 7);
    ASSERT_TRUE(appSynchronize(m_domain));
    EXPECT_TRUE(parsePropertyList(fileBytes()).dictionary);

    // A relative config home is ignored.
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(domainFilePath(m_domain),
              m_home.filePath(QStringLiteral(".config/")) + m_domain + QStringLiteral(".plist"));
}

}  // namespace

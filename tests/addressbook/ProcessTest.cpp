// The import across processes: killed halfway, and two at once.

#include "platform/addressbook/AddressBook.h"
#include "platform/addressbook/VCardText.h"

#include "BookFolder.h"

#include <KContacts/VCardConverter>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <dirent.h>
#include <memory>

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
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QStringLiteral(QUORVELL_IMPORT_HELPER), arguments);
    EXPECT_TRUE(process->waitForStarted());
    return process;
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
    // Group names carry the second: the two imports start in different ones.
    QThread::msleep(1100);
    auto second = startHelper(world, {QStringLiteral("import"), writeSenders(world, QStringLiteral("Second"), 60)});
    QThread::msleep(200);
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

}  // namespace

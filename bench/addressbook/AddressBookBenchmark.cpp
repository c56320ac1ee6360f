// The group import into a large address book: 1,000 senders (900 new people, 100
// already there) into a folder of 10,000 cards. Goal: at most 3 s. Beside it, in
// the same run and on the same folder, khard's add-email filing one sender, fed
// its answers on standard input, for a ratio.

#include "addressbook/AddressBookImport.h"
#include "platform/addressbook/VCardText.h"
#include "platform/desktop/Log.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kCardsInFolder = 10000;
constexpr int kSenders = 1000;
constexpr int kKnownSenders = 100;

struct Folder {
    QTemporaryDir root;
    QString folder;
    QSet<QString> original;

    Folder()
    {
        qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("data")).toUtf8());
        folder = root.filePath(QStringLiteral("data/quorvell/addressbook"));
        QDir().mkpath(folder);
        namespace vcard = platform::addressbook::vcard;
        for (int i = 0; i < kCardsInFolder; ++i) {
            const QString uid = vcard::newUid();
            QFile file(QDir(folder).filePath(uid.mid(9) + QStringLiteral(".vcf")));
            file.open(QIODevice::WriteOnly);
            file.write(vcard::personCard(uid, QStringLiteral("Known%1").arg(i), QStringLiteral("Person"),
                                         QStringLiteral("known%1@example.com").arg(i)));
        }
        original = snapshot();
        platform::desktop::setLogSink([](const QString&) {});
    }

    QSet<QString> snapshot() const
    {
        const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        return QSet<QString>(names.begin(), names.end());
    }

    // Back to the 10,000 cards, so every run imports into the same folder.
    void restore() const
    {
        for (const QString& name : snapshot() - original)
            QFile::remove(QDir(folder).filePath(name));
    }
};

Folder& folder()
{
    static Folder instance;
    return instance;
}

QString senders()
{
    QString text;
    for (int i = 0; i < kSenders; ++i) {
        if (i < kKnownSenders)
            text += QStringLiteral("Known%1 Person <other%1@example.org>\n").arg(i * 97);
        else
            text += QStringLiteral("New Sender%1 <new%1@example.net>\n").arg(i);
    }
    return text;
}

void BM_Import1000Into10000(benchmark::State& state)
{
    Folder& f = folder();
    const QString text = senders();
    for (auto _ : state) {
        if (!quorvell::importToAddressBook(text))
            state.SkipWithError("the import failed");
        state.PauseTiming();
        f.restore();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Import1000Into10000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);

void BM_KhardAddEmailInto10000(benchmark::State& state)
{
    const QString khard = QStandardPaths::findExecutable(QStringLiteral("khard"));
    if (khard.isEmpty()) {
        state.SkipWithError("khard is not installed");
        return;
    }
    Folder& f = folder();
    const QString config = f.root.filePath(QStringLiteral("khard.conf"));
    QFile file(config);
    file.open(QIODevice::WriteOnly);
    file.write("[addressbooks]\n[[quorvell]]\npath = " + f.folder.toUtf8() + "\n[general]\ndefault_action = list\n");
    file.close();
    const QString header = f.root.filePath(QStringLiteral("header.txt"));
    QFile headerFile(header);
    headerFile.open(QIODevice::WriteOnly);
    headerFile.write("From: New Sender <new.sender@example.net>\nSubject: hello\n\n");
    headerFile.close();
    for (auto _ : state) {
        QProcess process;
        process.start(khard, {QStringLiteral("-c"), config, QStringLiteral("add-email"), QStringLiteral("-i"), header});
        // Its questions, answered: take the address, create a contact, keep the
        // proposed first and last name, no organisation, confirm, label "work".
        process.write("y\nc\n\n\n\ny\nwork\n");
        process.closeWriteChannel();
        process.waitForFinished(-1);
        state.PauseTiming();
        const bool ok = process.exitCode() == 0 && f.snapshot().size() == f.original.size() + 1;
        f.restore();
        state.ResumeTiming();
        if (!ok)
            state.SkipWithError("khard add-email failed");
    }
}
BENCHMARK(BM_KhardAddEmailInto10000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

}  // namespace

BENCHMARK_MAIN();

// Finding the selection again, as every command reads it: 10,000 selected messages
// of a 10,000-message Maildir.
//   unmoved
//   1 % moved to another folder, names kept (mv, mrefile, aerc)  goal: <= 1.2x unmoved
//   1 % refiled under new names (neomutt's save), found by Message-ID through the
//   index that the first read brings up to date                 goal: <= 1.2x unmoved
// On a shared machine compare the CPU times, best of runs that alternate the cases.
// Each case has a Maildir of its own, made once before its first run.

#include "platform/mail/MailState.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kMessages = 10000;

enum class Change { None, Moved, Refiled };

class GeneratedMailbox {
public:
    explicit GeneratedMailbox(Change change)
    {
        const QString root = m_dir.path() + QStringLiteral("/Maildir");
        use();
        for (const char* sub : {"/cur", "/new", "/tmp", "/.Archive/cur", "/.Archive/new", "/.Archive/tmp"})
            QDir().mkpath(root + QLatin1String(sub));
        QStringList names;
        for (int i = 0; i < kMessages; ++i) {
            const QByteArray number = QByteArray::number(i);
            names.append(QStringLiteral("%1.M%2P1.bench").arg(1765000000 + i).arg(i));
            QFile file(root + QStringLiteral("/cur/") + names.last() + QStringLiteral(":2,S"));
            if (file.open(QIODevice::WriteOnly))
                file.write("From: Sender " + number + " <s" + number + "@example.org>\nSubject: Report " + number
                           + "\nMessage-ID: <msg-" + number + "@example.org>\n\nThe numbers are in.\n");
        }
        (void)platform::mail::MailState().writeSelection(names);
        for (int i = 0; i < kMessages; i += 100) {
            const QString from = root + QStringLiteral("/cur/") + names.at(i) + QStringLiteral(":2,S");
            if (change == Change::Moved)
                QFile::rename(from, root + QStringLiteral("/.Archive/cur/") + names.at(i) + QStringLiteral(":2,S"));
            else if (change == Change::Refiled)
                QFile::rename(from, root + QStringLiteral("/.Archive/cur/%1.R%2.refiled:2,S").arg(1766000000 + i).arg(i));
        }
        (void)platform::mail::MailState().read();  // as the command before would have
    }

    // Points the mail stand-in at this mailbox and its state.
    void use() const
    {
        qputenv("MAILDIR", (m_dir.path() + QStringLiteral("/Maildir")).toUtf8());
        qputenv("XDG_STATE_HOME", (m_dir.path() + QStringLiteral("/state")).toUtf8());
    }

private:
    QTemporaryDir m_dir;
};

void resolve(benchmark::State& state, Change change)
{
    static const GeneratedMailbox unmoved(Change::None);
    static const GeneratedMailbox moved(Change::Moved);
    static const GeneratedMailbox refiled(Change::Refiled);
    (change == Change::None ? unmoved : change == Change::Moved ? moved : refiled).use();
    for (auto _ : state) {
        const platform::mail::MailState::Read read = platform::mail::MailState().read();
        if (read.messages->size() != kMessages || read.gone() != 0)
            state.SkipWithError("a selected message was not found");
        benchmark::DoNotOptimize(read.messages.get());
    }
}

void BM_ResolveUnmoved(benchmark::State& state) { resolve(state, Change::None); }
void BM_ResolveOnePercentMoved(benchmark::State& state) { resolve(state, Change::Moved); }
void BM_ResolveOnePercentRefiled(benchmark::State& state) { resolve(state, Change::Refiled); }

}  // namespace

BENCHMARK(BM_ResolveUnmoved)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResolveOnePercentMoved)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResolveOnePercentRefiled)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

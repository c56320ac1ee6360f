// Saving 100 selected messages: to PDF (goal: at most 10 s for the batch) and to
// RTF (goal: at most 1 s). Each iteration writes into a fresh folder. The writer
// alone, and, once the runner is built, the whole command: the export script run
// by the interpreter over a Maildir selection in a temporary home.

#include "platform/mail/save/MessageSaver.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#if QUORVELL_BENCH_HAVE_EXPORT
#include "export/SaveCommands.h"
#include "platform/desktop/Bundle.h"
#include "platform/desktop/Log.h"
#include "platform/mail/MailState.h"
#endif

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kMessages = 100;

std::vector<platform::mail::MessageDocument> messages()
{
    std::vector<platform::mail::MessageDocument> list;
    const QString paragraph = QString::fromUtf8(
        "Thanks for the notes from Tuesday. Спасибо за заметки. Ευχαριστώ για τις σημειώσεις. "
        "感谢您周二的笔记。 The figures for Q3 are attached; please check the totals before Friday.\n");
    for (int i = 0; i < kMessages; ++i) {
        platform::mail::MessageDocument m;
        m.from = QStringLiteral("Ann Lee <ann.lee@example.com>");
        m.to = QStringLiteral("Kestrin <kestrin@example.com>, Bob <bob@example.com>");
        m.cc = i % 3 == 0 ? QStringLiteral("team@example.com") : QString();
        m.date = QStringLiteral("Sunday, 6 December 2026 07:%1:00").arg(i % 60, 2, 10, QLatin1Char('0'));
        m.subject = QStringLiteral("Re: Quarterly report %1/%2").arg(i).arg(kMessages);
        m.body = paragraph.repeated(8 + i % 16);
        list.push_back(std::move(m));
    }
    return list;
}

void saveBatch(benchmark::State& state, platform::mail::SaveFormat format)
{
    const auto batch = messages();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        state.ResumeTiming();
        for (const auto& message : batch) {
            const auto result = platform::mail::saveMessageDocument(message, dir.path(), format);
            if (!result.ok()) {
                state.SkipWithError(result.error.toUtf8().constData());
                return;
            }
        }
    }
}

void BM_Save100MessagesAsPdf(benchmark::State& state)
{
    saveBatch(state, platform::mail::SaveFormat::Pdf);
}

void BM_Save100MessagesAsRtf(benchmark::State& state)
{
    saveBatch(state, platform::mail::SaveFormat::Rtf);
}

#if QUORVELL_BENCH_HAVE_EXPORT
// A temporary home with a Maildir of kMessages selected messages; the project's
// own export scripts.
class SelectedMessages {
public:
    SelectedMessages()
    {
        qputenv("HOME", m_dir.filePath(QStringLiteral("home")).toUtf8());
        qputenv("XDG_STATE_HOME", m_dir.filePath(QStringLiteral("state")).toUtf8());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
        qputenv("MAILDIR", m_dir.filePath(QStringLiteral("Maildir")).toUtf8());
        QDir root(m_dir.path());
        for (const char* folder : {"home", "state", "config", "Maildir/cur", "Maildir/new", "Maildir/tmp"})
            root.mkpath(QString::fromLatin1(folder));
        QStringList names;
        const auto batch = messages();
        for (int i = 0; i < kMessages; ++i) {
            const QString name = QStringLiteral("1700000%1.bench.host").arg(i, 3, 10, QLatin1Char('0'));
            QFile file(m_dir.filePath(QStringLiteral("Maildir/cur/") + name + QStringLiteral(":2,S")));
            if (!file.open(QIODevice::WriteOnly))
                continue;
            const auto& m = batch[static_cast<std::size_t>(i)];
            file.write(QStringLiteral("From: %1\r\nTo: %2\r\nSubject: %3\r\nDate: Sun, 06 Dec 2026 07:10:23 +0000\r\n"
                                      "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n")
                           .arg(m.from, m.to, m.subject)
                           .toUtf8());
            file.write(QString(m.body).replace(QStringLiteral("\n"), QStringLiteral("\r\n")).toUtf8());
            names << name;
        }
        (void)platform::mail::MailState().writeSelection(names);
        platform::desktop::setResourcesDirectoryOverride(QStringLiteral(QUORVELL_SOURCE_RESOURCES));
        platform::desktop::setLogSink([](const QString&) {});
    }

private:
    QTemporaryDir m_dir;
};

void saveCommand(benchmark::State& state, quorvell::Command command)
{
    SelectedMessages selected;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir out;
        quorvell::SaveCommandSeams seams;
        seams.runOpenPanel = [&out](const platform::desktop::OpenPanelOptions&) {
            return platform::desktop::OpenPanelResult{platform::desktop::kOKButton, {out.path()}};
        };
        state.ResumeTiming();
        const auto saved = quorvell::runSaveCommand(command, seams);
        if (!saved || *saved != QString::number(kMessages)) {
            state.SkipWithError("the export script did not save every message");
            return;
        }
    }
}

void BM_SaveToPDFCommand100Messages(benchmark::State& state)
{
    saveCommand(state, quorvell::Command::SaveToPDF);
}

void BM_SaveToRTFCommand100Messages(benchmark::State& state)
{
    saveCommand(state, quorvell::Command::SaveToRTF);
}
#endif

}  // namespace

#if QUORVELL_BENCH_HAVE_EXPORT
BENCHMARK(BM_SaveToPDFCommand100Messages)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_SaveToRTFCommand100Messages)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
#endif
BENCHMARK(BM_Save100MessagesAsPdf)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Save100MessagesAsRtf)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // PDF needs fonts
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

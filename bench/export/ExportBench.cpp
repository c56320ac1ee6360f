// Saving 100 selected messages: to PDF (goal: at most 10 s for the batch) and to
// RTF (goal: at most 1 s). Each iteration writes into a fresh folder.

#include "platform/mail/save/MessageSaver.h"

#include <QGuiApplication>
#include <QTemporaryDir>

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

}  // namespace

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

// The parsing behind "Copy Sender Name" / "Copy Sender Address": cutting a list of
// n senders, taking every entry apart and joining one field. Goal: 1,000,000
// entries (about 40 MB of text) in at most 0.5 s, linear in n. The clipboard write
// that follows needs a GUI application and is not part of this measure.

#include "addressbook/SenderList.h"
#include "addressbook/SenderListParsing.h"

#include <benchmark/benchmark.h>

#include <map>

namespace {

const QString& senderText(int count)
{
    static std::map<int, QString> texts;
    QString& text = texts[count];
    if (text.isEmpty()) {
        text.reserve(qsizetype(count) * 48);
        for (int i = 0; i < count; ++i) {
            // Some entries of two words, some of three, some bare addresses.
            switch (i % 4) {
            case 0: text += QStringLiteral("Ann Marie Lee <ann.lee%1@example.com>").arg(i, 7, 10, QLatin1Char('0')); break;
            case 1: text += QStringLiteral("Bob Roe <bob.roe%1@mail.example.org>").arg(i, 7, 10, QLatin1Char('0')); break;
            case 2: text += QStringLiteral("Zoë Ørsted <zoe%1@exämple.net>").arg(i, 7, 10, QLatin1Char('0')); break;
            default: text += QStringLiteral("noreply%1@notifications.example.com").arg(i, 7, 10, QLatin1Char('0'));
            }
            text += QLatin1Char('\n');
        }
    }
    return text;
}

void joinField(benchmark::State& state, quorvell::SenderField field)
{
    const QString& text = senderText(int(state.range(0)));
    for (auto _ : state) {
        QString output = quorvell::detail::joinSenderField(text, field, false);
        benchmark::DoNotOptimize(output);
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size() * 2);
}

void BM_SenderAddresses(benchmark::State& state)
{
    joinField(state, quorvell::SenderFieldAddress);
}
BENCHMARK(BM_SenderAddresses)
    ->Arg(125000)
    ->Arg(250000)
    ->Arg(500000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_SenderNames(benchmark::State& state)
{
    joinField(state, quorvell::SenderFieldName);
}
BENCHMARK(BM_SenderNames)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The public entry points as the import uses them: one QString per entry and field.
void BM_SplitAndParseEntries(benchmark::State& state)
{
    const QString& text = senderText(int(state.range(0)));
    for (auto _ : state) {
        qsizetype characters = 0;
        for (const QString& entry : quorvell::splitSenderList(text, false))
            characters += quorvell::parseSenderEntry(entry).address.size();
        benchmark::DoNotOptimize(characters);
    }
}
BENCHMARK(BM_SplitAndParseEntries)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// The store's two hot paths: the synchronised read the menu build makes 19 times
// per opening (goal: 10 µs or less with an unchanged file), and a one-key write
// with its synchronise (bounded by fsync, shown for reference).

#include "platform/preferences/Preferences.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace prefs = platform::preferences;

namespace {

const QString kDomain = QStringLiteral("com.brightfold.Quorvell");

// A store with the 25 settings, in its own temporary configuration folder.
struct BenchStore {
    QTemporaryDir home;
    BenchStore()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
        for (int i = 0; i < 25; ++i)
            prefs::setAppValue(QStringLiteral("IncludeKey%1").arg(i), QVariant(i % 2 == 0), kDomain);
        prefs::appSynchronize(kDomain);
    }
};

void BM_SynchronizedReadOfUnchangedStore(benchmark::State& state)
{
    BenchStore store;
    const QString key = QStringLiteral("IncludeKey7");
    for (auto _ : state) {
        prefs::appSynchronize(kDomain);
        auto value = prefs::copyAppValue(key, kDomain);
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_SynchronizedReadOfUnchangedStore);

void BM_WriteAndSynchronize(benchmark::State& state)
{
    BenchStore store;
    bool flag = false;
    for (auto _ : state) {
        flag = !flag;
        prefs::setAppValue(QStringLiteral("IncludeKey3"), QVariant(flag), kDomain);
        benchmark::DoNotOptimize(prefs::appSynchronize(kDomain));
    }
}
BENCHMARK(BM_WriteAndSynchronize)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

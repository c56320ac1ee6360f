// One opening of the status menu: the rebuild from the command table with its 19
// synchronised settings reads and 26 entries, and the validation of every item.
// Goal: at most 0.5 ms. Runs against the real store in a temporary home, once with
// no file (a fresh installation) and once with every key stored.

#include "app/AppController.h"
#include "settings/SettingsTable.h"

#include "platform/preferences/Preferences.h"

#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void BM_MenuOpening(benchmark::State& state, bool storedKeys)
{
    const QString domain = QString::fromUtf8(quorvell::kSettingsDomain.data(), int(quorvell::kSettingsDomain.size()));
    for (const auto& row : quorvell::kSettingsTable)
        platform::preferences::setAppValue(QString::fromUtf8(row.key.data(), int(row.key.size())),
                                           storedKeys ? QVariant(row.defaultValue) : QVariant(), domain);
    platform::preferences::appSynchronize(domain);
    quorvell::AppController controller;
    QMenu* menu = controller.menu();
    for (auto _ : state) {
        controller.menuNeedsUpdate(menu);
        benchmark::DoNotOptimize(menu->actions().size());
    }
    if (menu->actions().size() != 26)
        state.SkipWithError("the menu does not hold 26 entries");
}

BENCHMARK_CAPTURE(BM_MenuOpening, fresh_store, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_MenuOpening, all_keys_stored, true)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    const QByteArray path = home.path().toLocal8Bit();
    setenv("HOME", path.constData(), 1);
    setenv("XDG_CONFIG_HOME", (path + "/.config").constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

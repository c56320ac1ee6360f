#pragma once
// The preferences window's store over the real one, each call written down in
// order as "read KEY", "store KEY=1", "sync" or "post".

#include "settings/QuorvellPrefPane.h"
#include "tests/support/QtPrinters.h"

inline quorvell::QuorvellPrefPane::Store recordingStore(QStringList& calls)
{
    const auto real = quorvell::QuorvellPrefPane::settingsStore();
    return {[&calls, real](std::string_view k) {
                calls << "read " + qs(k);
                return real.readWithoutSynchronize(k);
            },
            [&calls, real](std::string_view k, bool v) {
                calls << QStringLiteral("store %1=%2").arg(qs(k)).arg(v);
                real.store(k, v);
            },
            [&calls, real] {
                calls << QStringLiteral("sync");
                real.synchronize();
            },
            [&calls, real] {
                calls << QStringLiteral("post");
                real.postChanged();
            }};
}

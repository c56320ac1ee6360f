// libFuzzer target: compiles and runs arbitrary bytes as a script, decoded the
// way the runner decodes resources (Mac OS Roman) or as UTF-8, chosen by the
// first byte. Tight bounds keep every input fast; any crash, hang, leak or
// sanitizer report is a fault of the engine. The script tests' application
// "Fixture" is registered so that dictionary terms, elements and commands are
// reached too.

#include "FixtureApplication.h"
#include "platform/applescript/Engine.h"
#include "platform/applescript/Operations.h"

#include <QByteArray>
#include <QLocale>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool once = [] {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        quorvell::test::registerFixtureApplication();
        return true;
    }();
    (void)once;
    if (size == 0 || size > 64 * 1024)
        return 0;
    const bool utf8 = (data[0] & 1) != 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, static_cast<int>(size - 1));
    platform::applescript::Limits limits;
    limits.maxSteps = 200'000;
    limits.maxMilliseconds = 2'000;
    const auto outcome = platform::applescript::runScript(platform::applescript::decodeScriptFile(bytes, utf8), limits);
    if (outcome.value)
        (void)platform::applescript::stringValue(*outcome.value);
    return 0;
}

// The settings readers and writers against the real store in a temporary HOME.

#include "platform/preferences/Preferences.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"
#include "tests/preferences/StoreFixture.h"

#include <QDateTime>

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace quorvell;
namespace prefs = platform::preferences;

namespace {

const QString kDomain = qs(kSettingsDomain);

// A store of the test's own (see StoreFixture), written as another program would.
class SettingsTest : public StoreFixture {
protected:
    static void storeRaw(std::string_view key, const QVariant& value)
    {
        prefs::setAppValue(qs(key), value, kDomain);
        ASSERT_TRUE(prefs::appSynchronize(kDomain));
    }
};

// The defaults of all 25 keys: FixedListsTest (tests/app).
TEST_F(SettingsTest, OnlyABooleanCountsEverythingElseReadsAsTheDefault)
{
    const QVariant notBooleans[] = {
        QVariant(qlonglong(0)), QVariant(qlonglong(1)), QVariant(1.0), QVariant(QStringLiteral("false")),
        QVariant(QStringLiteral("YES")), QVariant(QDateTime::currentDateTimeUtc()), QVariant(QByteArray("\x01")),
        QVariant(QVariantList{QVariant(false)}), QVariant(QVariantMap{{QStringLiteral("x"), QVariant(false)}}),
    };
    struct Key {
        std::string_view key;
        bool (*read)();
        bool defaultValue;
    };
    const Key keys[] = {
        {"IncludeSubject", [] { return readIncludeSetting("IncludeSubject"); }, true},
        {kUseCommaDelimiterKey, readUseCommaDelimiter, false},
    };
    for (const Key& k : keys) {
        for (const QVariant& value : notBooleans) {
            storeRaw(k.key, value);
            EXPECT_EQ(k.read(), k.defaultValue) << k.key << " as " << value.typeName();
            EXPECT_EQ(readSettingWithoutSynchronize(k.key), k.defaultValue) << k.key << " as " << value.typeName();
        }
        storeRaw(k.key, QVariant(!k.defaultValue));
        EXPECT_EQ(k.read(), !k.defaultValue) << k.key;
    }
}

// Every reader gives its default over an empty store and synchronises first, so a
// value another process has written is seen at the next read.
TEST_F(SettingsTest, EveryReaderSeesAnotherProcessesChange)
{
    struct Reader {
        const char* key;
        bool (*read)();
        const char* written;
    };
    const Reader readers[] = {
        {"IncludeSubject", [] { return readIncludeSetting("IncludeSubject"); }, "false"},
        {"UseCommaDelimiter", readUseCommaDelimiter, "true"},
        {"ReverseOrder", readReverseOrder, "true"},
        {"DontMakeCompletionSound", readDontMakeCompletionSound, "true"},
    };
    for (const Reader& r : readers) {
        const bool before = r.read();
        EXPECT_EQ(before, std::string_view(r.written) == "false") << r.key << " with nothing stored";
        ASSERT_EQ(defaults({QStringLiteral("write"), kDomain, QString::fromLatin1(r.key), QStringLiteral("-bool"),
                                QString::fromLatin1(r.written)}).status,
                  0);
        EXPECT_EQ(readSettingWithoutSynchronize(r.key), before) << r.key;
        EXPECT_EQ(r.read(), !before) << r.key;
    }
}

}  // namespace

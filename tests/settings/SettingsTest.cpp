// The settings readers and writers against the real store in a temporary HOME.

#include "platform/preferences/Preferences.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quorvell;
namespace prefs = platform::preferences;

namespace {

QString qstring(std::string_view text)
{
    return QString::fromUtf8(text.data(), int(text.size()));
}

const QString kDomain = qstring(kSettingsDomain);

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
    }

    // Stores a value of any type and synchronises, as another program would.
    static void storeRaw(std::string_view key, const QVariant& value)
    {
        prefs::setAppValue(qstring(key), value, kDomain);
        ASSERT_TRUE(prefs::appSynchronize(kDomain));
    }

    static int defaultsTool(const QStringList& args)
    {
        QProcess tool;
        tool.start(QStringLiteral(QUORVELL_DEFAULTS_TOOL), args);
        if (!tool.waitForFinished(30000))
            return -1;
        return tool.exitCode();
    }

    // The reader the rest of the system uses for key.
    static bool read(std::string_view key)
    {
        if (key == kUseCommaDelimiterKey)
            return readUseCommaDelimiter();
        if (key == kReverseOrderKey)
            return readReverseOrder();
        if (key == kDontMakeCompletionSoundKey)
            return readDontMakeCompletionSound();
        return readIncludeSetting(key);
    }

    QTemporaryDir m_home;
};

TEST_F(SettingsTest, AnEmptyStoreReadsEveryDefault)
{
    for (const SettingRow& row : kSettingsTable) {
        EXPECT_EQ(read(row.key), row.defaultValue) << row.key;
        EXPECT_EQ(readSettingWithoutSynchronize(row.key), row.defaultValue) << row.key;
    }
}

TEST_F(SettingsTest, OnlyABooleanCountsEverythingElseReadsAsTheDefault)
{
    const QVariant notBooleans[] = {
        QVariant(qlonglong(0)), QVariant(qlonglong(1)), QVariant(1.0), QVariant(QStringLiteral("false")),
        QVariant(QStringLiteral("YES")), QVariant(QDateTime::currentDateTimeUtc()), QVariant(QByteArray("\x01")),
        QVariant(QVariantList{QVariant(false)}), QVariant(QVariantMap{{QStringLiteral("x"), QVariant(false)}}),
    };
    for (const SettingRow& row : kSettingsTable) {
        for (const QVariant& value : notBooleans) {
            storeRaw(row.key, value);
            EXPECT_EQ(read(row.key), row.defaultValue) << row.key << " as " << value.typeName();
            EXPECT_EQ(readSettingWithoutSynchronize(row.key), row.defaultValue) << row.key;
        }
        storeRaw(row.key, QVariant(!row.defaultValue));
        EXPECT_EQ(read(row.key), !row.defaultValue) << row.key;
        storeRaw(row.key, QVariant(row.defaultValue));
        EXPECT_EQ(read(row.key), row.defaultValue) << row.key;
    }
}

TEST_F(SettingsTest, EachKeyIsReadOnItsOwn)
{
    storeSetting("MessageID", false);
    storeSetting("IncludeMessageID", true);
    storeSetting(kUseCommaDelimiterKey, true);
    for (const SettingRow& row : kSettingsTable) {
        const bool expected = row.key == "MessageID" ? false : row.key == kUseCommaDelimiterKey ? true
                                                                                               : row.defaultValue;
        EXPECT_EQ(read(row.key), expected) << row.key;
    }
}

TEST_F(SettingsTest, AStoredSettingIsSeenAtOnceAndReachesTheFileWhenSynchronised)
{
    storeSetting("IncludeSubject", false);
    EXPECT_FALSE(readIncludeSetting("IncludeSubject"));
    EXPECT_FALSE(readSettingWithoutSynchronize("IncludeSubject"));

    // Reads synchronise, so the stored key is on disk now; another process sees it.
    QProcess tool;
    tool.start(QStringLiteral(QUORVELL_DEFAULTS_TOOL), {QStringLiteral("read-type"), kDomain,
                                                       QStringLiteral("IncludeSubject")});
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.readAllStandardOutput(), QByteArray("Type is boolean\n"));

    storeSetting(kReverseOrderKey, true);
    synchronizeSettings();
    tool.start(QStringLiteral(QUORVELL_DEFAULTS_TOOL),
               {QStringLiteral("read"), kDomain, QStringLiteral("ReverseOrder")});
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.readAllStandardOutput(), QByteArray("1\n"));
}

TEST_F(SettingsTest, AnotherProcessesChangeIsSeenAtTheNextSynchronisedRead)
{
    ASSERT_FALSE(readUseCommaDelimiter());
    ASSERT_EQ(defaultsTool({QStringLiteral("write"), kDomain, QStringLiteral("UseCommaDelimiter"),
                            QStringLiteral("-bool"), QStringLiteral("true")}),
              0);
    EXPECT_FALSE(readSettingWithoutSynchronize(kUseCommaDelimiterKey));
    EXPECT_TRUE(readUseCommaDelimiter());
    EXPECT_TRUE(readSettingWithoutSynchronize(kUseCommaDelimiterKey));

    // A number written by another process reads as the default again.
    ASSERT_EQ(defaultsTool({QStringLiteral("write"), kDomain, QStringLiteral("UseCommaDelimiter"),
                            QStringLiteral("-int"), QStringLiteral("1")}),
              0);
    EXPECT_FALSE(readUseCommaDelimiter());

    ASSERT_TRUE(readIncludeSetting("IncludeSubject"));
    ASSERT_EQ(defaultsTool({QStringLiteral("write"), kDomain, QStringLiteral("IncludeSubject"), QStringLiteral("-bool"),
                            QStringLiteral("false")}),
              0);
    EXPECT_FALSE(readIncludeSetting("IncludeSubject"));
}

}  // namespace

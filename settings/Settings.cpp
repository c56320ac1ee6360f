#include "settings/Settings.h"

#include "platform/notifications/Notifications.h"
#include "platform/preferences/Preferences.h"
#include "settings/SettingsTable.h"

namespace quorvell {
namespace {

QString qstring(std::string_view text)
{
    return QString::fromUtf8(text.data(), int(text.size()));
}

const QString& domain()
{
    static const QString name = qstring(kSettingsDomain);
    return name;
}

// The table's default. Every key read is a row of the table (the command table
// checks its keys against it when it compiles); another one is a caller's slip,
// read as on so that no command disappears from a menu.
bool defaultFor(std::string_view key)
{
    for (const SettingRow& row : kSettingsTable) {
        if (row.key == key)
            return row.defaultValue;
    }
    Q_ASSERT_X(false, "defaultFor", "a key outside the settings table");
    return true;
}

bool readSynchronized(std::string_view key)
{
    platform::preferences::appSynchronize(domain());
    return readSettingWithoutSynchronize(key);
}

}  // namespace

bool readSettingWithoutSynchronize(std::string_view key)
{
    const std::optional<QVariant> value = platform::preferences::copyAppValue(qstring(key), domain());
    if (!value || value->userType() != QMetaType::Bool)
        return defaultFor(key);
    return value->toBool();
}

bool readIncludeSetting(std::string_view key)
{
    return readSynchronized(key);
}

bool readUseCommaDelimiter()
{
    return readSynchronized(kUseCommaDelimiterKey);
}

bool readReverseOrder()
{
    return readSynchronized(kReverseOrderKey);
}

bool readDontMakeCompletionSound()
{
    return readSynchronized(kDontMakeCompletionSoundKey);
}

void storeSetting(std::string_view key, bool value)
{
    platform::preferences::setAppValue(qstring(key), QVariant(value), domain());
}

void synchronizeSettings()
{
    platform::preferences::appSynchronize(domain());
}

void postPreferencesChanged()
{
    platform::notifications::postDistributedNotification(qstring(kPreferencesChangedName),
                                                         qstring(kPreferencesChangedObject));
}

}  // namespace quorvell

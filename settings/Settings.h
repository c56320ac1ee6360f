#pragma once
// Readers and writers of the 25 boolean settings (keys and defaults in SettingsTable.h).
//
// Reading rule, for every key: no value, or a value that is not a boolean, reads as
// the key's default; a boolean reads as itself (a stored number 1 is not "on").
// Every reader synchronises the domain first and keeps nothing.

#include <QString>
#include <QVariant>

#include <optional>
#include <string_view>

namespace quorvell {

// Command keys: default on.
[[nodiscard]] bool readIncludeSetting(std::string_view key);
// Option keys: default off.
[[nodiscard]] bool readUseCommaDelimiter();
[[nodiscard]] bool readReverseOrder();
[[nodiscard]] bool readDontMakeCompletionSound();

// The reading rule without the synchronise, as the preferences window loads its keys.
[[nodiscard]] bool readSettingWithoutSynchronize(std::string_view key);

// Stores a boolean under key (seen by this process at once, pending until synchronised).
void storeSetting(std::string_view key, bool value);
void synchronizeSettings();

// Posts "Preferences Changed" with the object "com.brightfold.preference.Quorvell".
void postPreferencesChanged();

}  // namespace quorvell

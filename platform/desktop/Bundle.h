#pragma once
// The application bundle: where the resources lie and the information keys.
// Installed, the resources are <prefix>/share/quorvell beside bin/; in the build
// tree they are the source tree's resources/ folder. Tests may point the bundle at
// a folder of their own.

#include <QString>
#include <QVariant>

#include <optional>

namespace platform::desktop {

// The resources directory, or none when no candidate exists.
[[nodiscard]] std::optional<QString> resourcesDirectory();

// "CFBundleName" -> "Quorvell", "CFBundleShortVersionString" -> the project version,
// "CFBundleIdentifier" -> the settings domain. Anything else: an invalid QVariant.
[[nodiscard]] QVariant infoValue(const QString& key);

// For tests: use this folder as the resources directory (empty string: none at all);
// std::nullopt restores the normal lookup.
void setResourcesDirectoryOverride(std::optional<QString> directory);

}  // namespace platform::desktop

#include "platform/desktop/Bundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <mutex>

#ifndef QUORVELL_BUILD_RESOURCES
#define QUORVELL_BUILD_RESOURCES ""
#endif
#ifndef QUORVELL_INSTALL_DATADIR
#define QUORVELL_INSTALL_DATADIR "share/quorvell"
#endif

namespace platform::desktop {
namespace {

std::mutex g_mutex;
std::optional<QString> g_override;

QString executableDirectory()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget().section(QLatin1Char('/'), 0, -2);
}

}  // namespace

void setResourcesDirectoryOverride(std::optional<QString> directory)
{
    std::lock_guard lock(g_mutex);
    g_override = std::move(directory);
}

std::optional<QString> resourcesDirectory()
{
    {
        std::lock_guard lock(g_mutex);
        if (g_override) {
            if (g_override->isEmpty() || !QFileInfo(*g_override).isDir())
                return std::nullopt;
            return *g_override;
        }
    }
    // Installed tree first: <prefix>/bin/quorvell -> <prefix>/share/quorvell.
    const QString installed = QDir(executableDirectory()).absoluteFilePath(
        QStringLiteral("../") + QStringLiteral(QUORVELL_INSTALL_DATADIR));
    if (QFileInfo(installed + QStringLiteral("/Quorvell.tif")).exists())
        return QDir::cleanPath(installed);
    const QString build = QStringLiteral(QUORVELL_BUILD_RESOURCES);
    if (!build.isEmpty() && QFileInfo(build).isDir())
        return build;
    return std::nullopt;
}

QVariant infoValue(const QString& key)
{
    if (key == QLatin1String("CFBundleName"))
        return QStringLiteral("Quorvell");
    if (key == QLatin1String("CFBundleShortVersionString"))
        return QStringLiteral(QUORVELL_VERSION);
    if (key == QLatin1String("CFBundleIdentifier"))
        return QStringLiteral("com.brightfold.Quorvell");
    return {};
}

}  // namespace platform::desktop

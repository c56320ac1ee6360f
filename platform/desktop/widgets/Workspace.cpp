#include "platform/desktop/widgets/Workspace.h"

#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

namespace platform::desktop {
namespace {

URLOpener& opener()
{
    static URLOpener current;
    return current;
}

// The values of one group of a desktop-entry style file (a .desktop file,
// mimeapps.list): key to value, localised keys included as written.
QHash<QString, QString> groupOf(const QString& path, QLatin1String group)
{
    QHash<QString, QString> values;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return values;
    bool inGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1Char('[') + group + QLatin1Char(']');
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (inGroup && equals > 0 && !line.startsWith(QLatin1Char('#')))
            values.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return values;
}

bool entryHandles(const QString& path, const QString& mimeType)
{
    const auto entry = groupOf(path, QLatin1String("Desktop Entry"));
    if (entry.value(QStringLiteral("Hidden")) == QLatin1String("true"))
        return false;
    return entry.value(QStringLiteral("MimeType")).split(QLatin1Char(';')).contains(mimeType);
}

bool listNamesHandler(const QString& path, const QString& mimeType)
{
    for (const char* group : {"Default Applications", "Added Associations"}) {
        QString handlers = groupOf(path, QLatin1String(group)).value(mimeType);
        if (!handlers.remove(QLatin1Char(';')).isEmpty())
            return true;
    }
    return false;
}

}  // namespace

bool hasSchemeHandler(const QString& scheme)
{
    const QString mimeType = QStringLiteral("x-scheme-handler/") + scheme;
    QStringList lists;
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        lists << dir + QStringLiteral("/mimeapps.list");
    const QStringList applications = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    for (const QString& dir : applications)
        lists << dir + QStringLiteral("/mimeapps.list");
    for (const QString& path : lists) {
        if (QFileInfo(path).isFile() && listNamesHandler(path, mimeType))
            return true;
    }
    for (const QString& dir : applications) {
        QDirIterator entries(dir, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (entries.hasNext()) {
            if (entryHandles(entries.next(), mimeType))
                return true;
        }
    }
    return false;
}

void setURLOpener(URLOpener newOpener)
{
    opener() = std::move(newOpener);
}

bool openURL(const QUrl& url)
{
    if (!url.isValid())
        return false;
    if (opener())
        return opener()(url);
    return QDesktopServices::openUrl(url);
}

}  // namespace platform::desktop

#include "platform/preferences/Preferences.h"

#include "platform/desktop/Log.h"
#include "platform/preferences/DomainStore.h"
#include "platform/preferences/PropertyList.h"

#include <QFile>
#include <QHash>

#include <cstdlib>
#include <memory>
#include <pwd.h>
#include <unistd.h>

namespace platform::preferences {
namespace {

QString homeDirectory()
{
    const QByteArray home = qgetenv("HOME");
    if (!home.isEmpty())
        return QFile::decodeName(home);
    const struct passwd* entry = ::getpwuid(::getuid());
    return entry ? QFile::decodeName(entry->pw_dir) : QStringLiteral("/");
}

// ${XDG_CONFIG_HOME:-~/.config}; a relative XDG_CONFIG_HOME is ignored, as the
// base-directory rules require. Read at every call, so tests may move HOME.
QString configDirectory()
{
    const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
    if (xdg.startsWith('/'))
        return QFile::decodeName(xdg);
    return homeDirectory() + QStringLiteral("/.config");
}

bool acceptableDomain(const QString& domain)
{
    return !domain.isEmpty() && !domain.startsWith(QLatin1Char('.')) && !domain.contains(QLatin1Char('/'))
        && !domain.contains(QChar(0)) && domain.size() <= 200;
}

// One store per file, for the life of the process: keyed by path, so a changed
// HOME or XDG_CONFIG_HOME addresses a different store. The last answer is kept
// with the variables it was made from, so the menu's 19 reads in a row cost two
// getenv calls each rather than a path built anew.
DomainStore* storeFor(const QString& domain)
{
    struct Last {
        QString domain;
        QByteArray xdg, home;
        DomainStore* store = nullptr;
    };
    static Last last;
    static QHash<QString, std::shared_ptr<DomainStore>> stores;

    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (last.store && domain == last.domain && qstrcmp(xdg ? xdg : "", last.xdg.constData()) == 0
        && qstrcmp(home ? home : "", last.home.constData()) == 0)
        return last.store;

    const QString path = domainFilePath(domain);
    if (path.isEmpty())
        return nullptr;
    auto& store = stores[path];
    if (!store)
        store = std::make_shared<DomainStore>(path);
    last = {domain, QByteArray(xdg ? xdg : ""), QByteArray(home ? home : ""), store.get()};
    return store.get();
}

}  // namespace

QString domainFilePath(const QString& domain)
{
    if (!acceptableDomain(domain))
        return {};
    return configDirectory() + QLatin1Char('/') + domain + QStringLiteral(".plist");
}

std::optional<QVariant> copyAppValue(const QString& key, const QString& domain)
{
    DomainStore* store = storeFor(domain);
    return store ? store->value(key) : std::nullopt;
}

void setAppValue(const QString& key, const QVariant& value, const QString& domain)
{
    DomainStore* store = storeFor(domain);
    if (!store) {
        platform::desktop::log(
            QStringLiteral("Not storing \"%1\": \"%2\" is not a preference domain").arg(key, domain));
        return;
    }
    if (!value.isValid()) {
        store->set(key, std::nullopt);
        return;
    }
    auto normal = normalizedValue(value);
    if (!normal || !normalizedValue(QVariant(key))) {
        platform::desktop::log(QStringLiteral("Not storing \"%1\" in %2: a value of type %3 cannot be stored")
                                   .arg(key, domain, QLatin1String(value.typeName())));
        return;
    }
    store->set(key, std::move(normal));
}

bool appSynchronize(const QString& domain)
{
    DomainStore* store = storeFor(domain);
    return store && store->synchronize();
}

QVariantMap copyAppValues(const QString& domain)
{
    DomainStore* store = storeFor(domain);
    return store ? store->values() : QVariantMap{};
}

bool isStorableValue(const QVariant& value)
{
    return normalizedValue(value).has_value();
}

}  // namespace platform::preferences

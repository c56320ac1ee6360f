#include "platform/notifications/SessionBus.h"

#include <sys/stat.h>

namespace platform::notifications {
namespace {

constexpr const char* kConnectionName = "quorvell-session";

// A D-Bus address value: bytes outside [-0-9A-Za-z_/.\*] are %-escaped.
QByteArray escapedAddressValue(const QByteArray& raw)
{
    QByteArray out;
    for (const char c : raw) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-'
            || c == '_' || c == '/' || c == '.' || c == '\\' || c == '*';
        if (plain)
            out += c;
        else
            out += '%' + QByteArray::number(uchar(c), 16).rightJustified(2, '0');
    }
    return out;
}

// The session bus's address, or empty when there is none to reach.
QString sessionBusAddress()
{
    const QByteArray fromEnvironment = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (!fromEnvironment.isEmpty())
        return QString::fromUtf8(fromEnvironment);
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return {};
    const QByteArray socket = runtime + "/bus";
    struct stat st {
    };
    if (::stat(socket.constData(), &st) != 0 || !S_ISSOCK(st.st_mode))
        return {};
    return QStringLiteral("unix:path=") + QString::fromLatin1(escapedAddressValue(socket));
}

}  // namespace

std::optional<QDBusConnection> sessionConnection()
{
    const QString name = QLatin1String(kConnectionName);
    {
        QDBusConnection existing(name);
        if (existing.isConnected())
            return existing;
    }
    QDBusConnection::disconnectFromBus(name);
    const QString address = sessionBusAddress();
    if (address.isEmpty())
        return std::nullopt;
    QDBusConnection fresh = QDBusConnection::connectToBus(address, name);
    if (!fresh.isConnected()) {
        QDBusConnection::disconnectFromBus(name);
        return std::nullopt;
    }
    return fresh;
}

}  // namespace platform::notifications

#include "platform/notifications/Notifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>

#include <optional>
#include <sys/stat.h>

namespace platform::notifications {
namespace {

constexpr const char* kConnectionName = "quorvell-distributed-notifications";

// The longest a post waits for the bus to confirm it has the signal. Only a bus
// that accepts connections and then stops answering can make a post wait this long.
constexpr int kFlushTimeoutMs = 2000;

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

// The session bus's address, or empty when there is none to reach. Qt's own
// session bus would let libdbus fall back to X11 autolaunch, which starts a stray
// daemon wherever DISPLAY is set; this never does.
QString sessionBusAddress()
{
    const QByteArray fromEnvironment = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (!fromEnvironment.isEmpty())
        return QString::fromUtf8(fromEnvironment);
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return {};
    const QByteArray socket = runtime + "/bus";
    struct stat st {};
    if (::stat(socket.constData(), &st) != 0 || !S_ISSOCK(st.st_mode))
        return {};
    return QStringLiteral("unix:path=") + QString::fromLatin1(escapedAddressValue(socket));
}

// The process's connection for posting, connected on first use and again after
// the bus went away; none when no bus is reachable.
std::optional<QDBusConnection> connection()
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

}  // namespace

void postDistributedNotification(const QString& name, const QString& object)
{
    auto bus = connection();
    if (!bus)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(kNotificationPath),
                                                     QLatin1String(kNotificationInterface),
                                                     QLatin1String(kNotificationMember));
    signal << name << object;
    if (!bus->send(signal))
        return;
    // Messages leave in order, so the bus's answer to this call means it has the
    // signal: a process that exits right after posting does not lose it.
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    bus->call(ping, QDBus::Block, kFlushTimeoutMs);
}

}  // namespace platform::notifications

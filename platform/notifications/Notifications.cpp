#include "platform/notifications/Notifications.h"

#include "platform/notifications/SessionBus.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace platform::notifications {
namespace {

// The longest a post waits for the bus to confirm it has the signal. Only a bus
// that accepts connections and then stops answering can make a post wait this long.
constexpr int kFlushTimeoutMs = 2000;

}  // namespace

void postDistributedNotification(const QString& name, const QString& object)
{
    auto bus = sessionConnection();
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

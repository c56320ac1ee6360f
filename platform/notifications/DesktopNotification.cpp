#include "platform/notifications/DesktopNotification.h"

#include "platform/notifications/SessionBus.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QHash>
#include <QPointer>
#include <QVariantMap>

namespace platform::notifications {
namespace {

// The body may be read as markup (most services do): the three characters that
// would start markup are escaped, and quotes stay as written for services that
// show the body as plain text.
QString bodyText(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    out.replace(QLatin1Char('<'), QLatin1String("&lt;"));
    out.replace(QLatin1Char('>'), QLatin1String("&gt;"));
    return out;
}

}  // namespace

// Keeps the actions of the notifications that are still open, by the id the
// service gave them, and runs one when the service reports it invoked.
class NotificationActions : public QObject {
    Q_OBJECT

public:
    static NotificationActions& instance(QDBusConnection& bus)
    {
        static QPointer<NotificationActions> shared;
        if (!shared)
            shared = new NotificationActions(QCoreApplication::instance());
        shared->listenOn(bus);
        return *shared;
    }

    void add(uint id, std::function<void()> action) { m_actions.insert(id, std::move(action)); }

public slots:
    void actionInvoked(uint id, const QString& key)
    {
        if (key != QLatin1String(kActionKey) && key != QLatin1String("default"))
            return;
        const auto action = m_actions.take(id);
        if (action)
            action();
    }

    void notificationClosed(uint id, uint /*reason*/) { m_actions.remove(id); }

private:
    using QObject::QObject;

    void listenOn(QDBusConnection& bus)
    {
        // A new connection (after the bus went away) has a new unique name and
        // none of the old one's subscriptions.
        if (m_listening == bus.baseService())
            return;
        m_listening = bus.baseService();
        const QString service = QLatin1String(kNotificationsService);
        const QString path = QLatin1String(kNotificationsPath);
        const QString interface = QLatin1String(kNotificationsInterface);
        bus.connect(
            service, path, interface, QStringLiteral("ActionInvoked"), this, SLOT(actionInvoked(uint, QString)));
        bus.connect(
            service, path, interface, QStringLiteral("NotificationClosed"), this, SLOT(notificationClosed(uint, uint)));
    }

    QString m_listening;
    QHash<uint, std::function<void()>> m_actions;
};

void showDesktopNotification(DesktopNotification notification)
{
    auto bus = sessionConnection();
    if (!bus)
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(kNotificationsService),
        QLatin1String(kNotificationsPath), QLatin1String(kNotificationsInterface), QStringLiteral("Notify"));
    const bool withAction = !notification.actionLabel.isEmpty() && notification.action;
    const QStringList actions
        = withAction ? QStringList {QLatin1String(kActionKey), notification.actionLabel} : QStringList {};
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("quorvell"));
    // Notify(app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout)
    call << QStringLiteral("Quorvell") << uint(0) << QStringLiteral("quorvell") << notification.summary
         << bodyText(notification.body) << actions << hints << int(-1);
    if (!withAction || QCoreApplication::instance() == nullptr) {
        (void)bus->send(call);
        return;
    }
    NotificationActions& actionsOf = NotificationActions::instance(*bus);
    auto* watcher = new QDBusPendingCallWatcher(bus->asyncCall(call), &actionsOf);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &actionsOf,
        [&actionsOf, action = std::move(notification.action)](QDBusPendingCallWatcher* finished) {
            const QDBusPendingReply<uint> reply = *finished;
            if (reply.isValid())
                actionsOf.add(reply.value(), action);
            finished->deleteLater();
        });
}

}  // namespace platform::notifications

#include "DesktopNotification.moc"

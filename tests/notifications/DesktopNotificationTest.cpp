// Desktop notifications on a private session bus (the test runs under
// dbus-run-session), shown to a notification service of the test's own that
// records every Notify call and stands in for the person clicking an action.

#include "platform/notifications/DesktopNotification.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QVariantMap>

#include <gtest/gtest.h>

namespace notes = platform::notifications;

class RecordingService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call {
        QString appName;
        QString icon;
        QString summary;
        QString body;
        QStringList actions;
    };
    QList<Call> calls;

public slots:
    uint Notify(const QString& appName, uint /*replacesId*/, const QString& icon, const QString& summary,
        const QString& body, const QStringList& actions, const QVariantMap& /*hints*/, int /*timeout*/)
    {
        calls.append({appName, icon, summary, body, actions});
        return uint(calls.size());
    }
};

namespace {

bool waitUntil(const std::function<bool()>& condition, int ms = 5000)
{
    QDeadlineTimer deadline(ms);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

void emitFromService(QDBusConnection& service, const char* member, uint id, const QVariant& second)
{
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(notes::kNotificationsPath), QLatin1String(notes::kNotificationsInterface), QLatin1String(member));
    signal << id << second;
    ASSERT_TRUE(service.send(signal));
}

TEST(DesktopNotification, ReachesTheServiceAndRunsItsActionOnceWhenInvoked)
{
    ASSERT_FALSE(qgetenv("DBUS_SESSION_BUS_ADDRESS").isEmpty()) << "run under dbus-run-session";

    int opened = 0;
    QDBusConnection service = QDBusConnection::connectToBus(
        QString::fromUtf8(qgetenv("DBUS_SESSION_BUS_ADDRESS")), QStringLiteral("service"));
    RecordingService recorder;
    ASSERT_TRUE(
        service.registerObject(QLatin1String(notes::kNotificationsPath), &recorder, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(service.interface()->registerService(QLatin1String(notes::kNotificationsService)).isValid());

    notes::showDesktopNotification({QStringLiteral("No messages selected"), QStringLiteral("a <b> & \"c\""), {}, {}});
    notes::showDesktopNotification(
        {QStringLiteral("6 files saved in /tmp/out"), {}, QStringLiteral("Open Folder"), [&] { ++opened; }});
    notes::showDesktopNotification(
        {QStringLiteral("Closed unread"), {}, QStringLiteral("Open Folder"), [&] { opened += 100; }});
    ASSERT_TRUE(waitUntil([&] { return recorder.calls.size() == 3; })) << recorder.calls.size();

    const auto& plain = recorder.calls.at(0);
    EXPECT_EQ(plain.appName, QStringLiteral("Quorvell"));
    EXPECT_EQ(plain.icon, QStringLiteral("quorvell"));
    EXPECT_EQ(plain.summary, QStringLiteral("No messages selected"));
    EXPECT_EQ(plain.body, QStringLiteral("a &lt;b&gt; &amp; \"c\""));
    EXPECT_TRUE(plain.actions.isEmpty());
    EXPECT_EQ(recorder.calls.at(1).actions,
        (QStringList {QLatin1String(notes::kActionKey), QStringLiteral("Open Folder")}));

    // What the person does: close the third and then click it, click the first
    // (which offers nothing), click the second twice. Signals arrive in order, so
    // once a later notification's action has run, these have all been handled.
    emitFromService(service, "NotificationClosed", 3, QVariant::fromValue(uint(2)));
    emitFromService(service, "ActionInvoked", 3, QString::fromLatin1(notes::kActionKey));
    emitFromService(service, "ActionInvoked", 1, QStringLiteral("default"));
    emitFromService(service, "ActionInvoked", 2, QString::fromLatin1(notes::kActionKey));
    emitFromService(service, "ActionInvoked", 2, QStringLiteral("default"));
    bool barrier = false;
    notes::showDesktopNotification({QStringLiteral("Barrier"), {}, QStringLiteral("Go"), [&] { barrier = true; }});
    ASSERT_TRUE(waitUntil([&] { return recorder.calls.size() == 4; }));
    emitFromService(service, "ActionInvoked", 4, QStringLiteral("default"));
    ASSERT_TRUE(waitUntil([&] { return barrier; }));
    EXPECT_EQ(opened, 1);

    // No service any more: showing returns at once and offers nothing to click.
    ASSERT_TRUE(service.interface()->unregisterService(QLatin1String(notes::kNotificationsService)).value());
    notes::showDesktopNotification({QStringLiteral("Unheard"), {}, QStringLiteral("Open Folder"), [&] { ++opened; }});
}

}  // namespace

#include "DesktopNotificationTest.moc"

#pragma once
// Distributed notifications as another process sees them: a bus connection of its
// own (the tests run on a private session bus), every one written down as
// "NAME / OBJECT". Needs a Qt application object.

#include "platform/notifications/Notifications.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QStringList>

#include <gtest/gtest.h>

class NotificationListener : public QObject {
    Q_OBJECT

public:
    NotificationListener() : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("listener")))
    {
        using namespace platform::notifications;
        EXPECT_TRUE(m_bus.connect({}, kNotificationPath, kNotificationInterface, kNotificationMember, this,
                                  SLOT(received(QString, QString))))
            << "no private session bus";
    }
    ~NotificationListener() override { QDBusConnection::disconnectFromBus(QStringLiteral("listener")); }

    // What has arrived once `expected` notifications have (or 5 s have passed), and
    // the bus has had a moment more to deliver any extra one.
    QStringList settled(int expected)
    {
        const QDeadlineTimer deadline(5000);
        while (m_seen.size() < expected && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const QDeadlineTimer grace(250);
        while (!grace.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return m_seen;
    }

public slots:
    void received(const QString& name, const QString& object) { m_seen << name + " / " + object; }

private:
    QDBusConnection m_bus;
    QStringList m_seen;
};

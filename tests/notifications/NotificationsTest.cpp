// Notifications on a private session bus (the test runs under dbus-run-session),
// received by a listener in this process.

#include "platform/notifications/Notifications.h"
#include "tests/support/NotificationListener.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

class NotificationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(qgetenv("DBUS_SESSION_BUS_ADDRESS").isEmpty()) << "run under dbus-run-session";
        m_listener.emplace();
    }

    void TearDown() override { m_listener.reset(); }

    // The child's exit status, -1 when posting blocked; posting never says anything.
    static int notifyOnce(const QProcessEnvironment& environment, const QStringList& args)
    {
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QStringLiteral(QUORVELL_NOTIFY_ONCE), args);
        if (!child.waitForFinished(20000)) {
            child.kill();
            child.waitForFinished();
            return -1;
        }
        EXPECT_TRUE(child.readAllStandardError().isEmpty());
        return child.exitCode();
    }

    std::optional<NotificationListener> m_listener;
};

TEST_F(NotificationsTest, APostJustBeforeTheProcessEndsIsNotLost)
{
    QStringList expected;
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(notifyOnce(QProcessEnvironment::systemEnvironment(), {QStringLiteral("Last Words %1").arg(i), QString()}), 0);
        expected << QStringLiteral("Last Words %1 / ").arg(i);
    }
    EXPECT_EQ(m_listener->settled(5), expected);
}

TEST_F(NotificationsTest, TheRuntimeFolderSocketServesWhenNoAddressIsSet)
{
    const QString address = QString::fromUtf8(qgetenv("DBUS_SESSION_BUS_ADDRESS"));
    const QString prefix = QStringLiteral("unix:path=");
    if (!address.startsWith(prefix))
        GTEST_SKIP() << "the private bus has no socket file";
    QTemporaryDir runtime;
    ASSERT_TRUE(QFile::link(address.mid(prefix.size()).section(QLatin1Char(','), 0, 0), runtime.filePath("bus")));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    ASSERT_EQ(notifyOnce(environment, {QStringLiteral("Via Runtime"), QStringLiteral("o")}), 0);
    EXPECT_EQ(m_listener->settled(1), QStringList{"Via Runtime / o"});
}

TEST_F(NotificationsTest, WithoutAReachableBusPostingIsASilentNoOp)
{
    QTemporaryDir emptyRuntime;
    QProcessEnvironment unreachable = QProcessEnvironment::systemEnvironment();
    unreachable.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/bus"));
    // No address and no runtime socket, but a display: libdbus would autolaunch a bus here.
    QProcessEnvironment unset = QProcessEnvironment::systemEnvironment();
    unset.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    unset.insert(QStringLiteral("XDG_RUNTIME_DIR"), emptyRuntime.path());
    unset.insert(QStringLiteral("DISPLAY"), QStringLiteral(":97"));
    QProcessEnvironment noRuntime = unset;
    noRuntime.remove(QStringLiteral("XDG_RUNTIME_DIR"));

    for (const QProcessEnvironment& environment : {unreachable, unset, noRuntime})
        EXPECT_EQ(notifyOnce(environment, {QStringLiteral("Nobody Hears"), QString()}), 0);
    EXPECT_TRUE(QDir(emptyRuntime.path()).isEmpty());
    EXPECT_TRUE(m_listener->settled(0).isEmpty());
}

}  // namespace


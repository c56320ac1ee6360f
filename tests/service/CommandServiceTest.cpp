// The commands on a private session bus (dbus-run-session): every method of the
// command table reaches its handler on the main thread, introspection lists them
// all, a second instance finds the name taken. The NoBus tests run a second time
// without any bus (see CMakeLists.txt).

#include "app/service/CommandService.h"
#include "app/service/ServiceInterface.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QEventLoop>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <vector>

using quorvell::Command;
using quorvell::CommandService;
using quorvell::ServiceRegistration;

namespace {

// The names a user binds to keys; written out here as the oracle for the table.
const QStringList kExpectedMethods{
    "CopyContent", "CopySubject", "CopyReplyTo", "CopySender", "CopySenderName", "CopySenderAddress",
    "CopyRecipient", "CopyRecipientName", "CopyRecipientAddress", "CopyMessageID", "CopyMailMessageID",
    "CopyAllHeaders", "CopyAllHeadersContent", "CopyDate", "CopyTime", "CopySummary", "CopySource",
    "AddRecipientToAddressBook", "AddToAddressBook", "SaveToPDF", "SaveToRTF", "ShowPreferences", "Quit"};

QDBusConnection client()
{
    static const QDBusConnection connection =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("test-client"));
    return connection;
}

QDBusPendingCall callAsync(const QString& member, const QVariantList& arguments = {},
                           const QString& interface = QLatin1String(quorvell::kServiceInterface))
{
    QDBusMessage message = QDBusMessage::createMethodCall(QLatin1String(quorvell::kServiceName),
                                                          QLatin1String(quorvell::kServicePath), interface, member);
    message.setArguments(arguments);
    return client().asyncCall(message, 10000);
}

QDBusMessage call(const QString& member, const QVariantList& arguments = {},
                  const QString& interface = QLatin1String(quorvell::kServiceInterface))
{
    QDBusPendingCall pending = callAsync(member, arguments, interface);
    (void)QTest::qWaitFor([&] { return pending.isFinished(); }, 15000);
    return pending.reply();
}

struct Observed {
    std::vector<QString> events;
    bool allOnMainThread = true;

    quorvell::CommandHandlers handlers()
    {
        const auto note = [this](const QString& event) {
            allOnMainThread = allOnMainThread && QThread::currentThread() == QCoreApplication::instance()->thread();
            events.push_back(event);
        };
        return {[note](Command command) {
                    note(QString::fromLatin1(
                        quorvell::commandName(quorvell::commandRow(command)).data(),
                        static_cast<int>(quorvell::commandName(quorvell::commandRow(command)).size())));
                },
                [note] { note(QStringLiteral("ShowPreferences")); }, [note] { note(QStringLiteral("Quit")); }};
    }

    bool waitFor(std::size_t count) const
    {
        return QTest::qWaitFor([&] { return events.size() >= count; }, 10000);
    }
};

class CommandServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!client().isConnected())
            GTEST_SKIP() << "no session bus";
    }
};

}  // namespace

TEST_F(CommandServiceTest, EveryMethodRunsItsActionOnTheMainThreadAndIsIntrospectable)
{
    Observed observed;
    CommandService service(observed.handlers());
    ASSERT_EQ(service.registerOnSessionBus(), ServiceRegistration::Registered);

    for (int i = 0; i < kExpectedMethods.size(); ++i) {
        const QDBusMessage reply = call(kExpectedMethods.at(i));
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        ASSERT_TRUE(observed.waitFor(static_cast<std::size_t>(i) + 1)) << kExpectedMethods.at(i).toStdString();
        EXPECT_EQ(observed.events.back(), kExpectedMethods.at(i));
    }
    EXPECT_EQ(observed.events.size(), static_cast<std::size_t>(kExpectedMethods.size()));
    EXPECT_TRUE(observed.allOnMainThread);

    // Introspection lists the same methods, none with an argument, and runs none.
    const QDBusMessage reply =
        call(QStringLiteral("Introspect"), {}, QStringLiteral("org.freedesktop.DBus.Introspectable"));
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    QXmlStreamReader xml(reply.arguments().value(0).toString());
    QStringList methods;
    bool inOurs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("interface"))
            inOurs = xml.attributes().value(QStringLiteral("name")) == QLatin1String(quorvell::kServiceInterface);
        else if (xml.isStartElement() && xml.name() == QLatin1String("method") && inOurs)
            methods << xml.attributes().value(QStringLiteral("name")).toString();
        else if (xml.isStartElement() && xml.name() == QLatin1String("arg") && inOurs)
            ADD_FAILURE() << "a method takes an argument";
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(methods, kExpectedMethods);
    EXPECT_EQ(observed.events.size(), static_cast<std::size_t>(kExpectedMethods.size()));
}

TEST_F(CommandServiceTest, UnknownMethodsAndArgumentsAreRefused)
{
    Observed observed;
    CommandService service(observed.handlers());
    ASSERT_EQ(service.registerOnSessionBus(), ServiceRegistration::Registered);

    struct Case {
        QString member;
        QVariantList arguments;
        QString error;
    };
    const Case cases[] = {
        {QStringLiteral("CopyEverything"), {}, QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod")},
        {QStringLiteral("copysubject"), {}, QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod")},
        {QStringLiteral("selCopySubject"), {}, QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod")},
        {QStringLiteral("CopySubject"), {QStringLiteral("x")}, QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs")},
        {QStringLiteral("Quit"), {42}, QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs")},
    };
    for (const Case& c : cases) {
        const QDBusMessage reply = call(c.member, c.arguments);
        EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage) << c.member.toStdString();
        EXPECT_EQ(reply.errorName(), c.error) << c.member.toStdString();
    }
    QTest::qWait(100);
    EXPECT_TRUE(observed.events.empty());
}

TEST_F(CommandServiceTest, SecondInstanceFindsTheNameTakenUntilTheFirstEnds)
{
    Observed observed;
    {
        // Another process's connection holds the name.
        QDBusConnection other =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("other-instance"));
        ASSERT_TRUE(other.registerService(QLatin1String(quorvell::kServiceName)));
        CommandService service(observed.handlers());
        EXPECT_EQ(service.registerOnSessionBus(), ServiceRegistration::NameTaken);
        // It did not queue for the name: freeing it does not hand it over.
        ASSERT_TRUE(other.unregisterService(QLatin1String(quorvell::kServiceName)));
        QTest::qWait(50);
        EXPECT_FALSE(client().interface()->isServiceRegistered(QLatin1String(quorvell::kServiceName)).value());
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("other-instance"));

    {
        CommandService first(observed.handlers());
        ASSERT_EQ(first.registerOnSessionBus(), ServiceRegistration::Registered);
        EXPECT_EQ(first.registerOnSessionBus(), ServiceRegistration::Registered);
        CommandService second(observed.handlers());
        EXPECT_EQ(second.registerOnSessionBus(), ServiceRegistration::NameTaken);
        EXPECT_EQ(call(QStringLiteral("Quit")).type(), QDBusMessage::ReplyMessage);
        ASSERT_TRUE(observed.waitFor(1));
    }
    // The name is freed when the service ends.
    EXPECT_FALSE(client().interface()->isServiceRegistered(QLatin1String(quorvell::kServiceName)).value());
    CommandService again(observed.handlers());
    EXPECT_EQ(again.registerOnSessionBus(), ServiceRegistration::Registered);
}

// A command that opens a modal window spins a nested event loop; a call arriving
// meanwhile must wait until the first command has ended, not run inside it.
TEST_F(CommandServiceTest, CallsDuringARunningCommandWaitTheirTurn)
{
    std::vector<QString> events;
    quorvell::CommandHandlers handlers;
    handlers.run = [&](Command command) {
        if (command != Command::SaveToPDF) {
            events.push_back(QStringLiteral("other"));
            return;
        }
        events.push_back(QStringLiteral("save begins"));
        QDBusPendingCall second = callAsync(QStringLiteral("CopySubject"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return second.isFinished(); }, 10000));
        QTest::qWait(100);
        events.push_back(QStringLiteral("save ends"));
    };
    CommandService service(handlers);
    ASSERT_EQ(service.registerOnSessionBus(), ServiceRegistration::Registered);
    EXPECT_EQ(call(QStringLiteral("SaveToPDF")).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() >= 3; }, 10000));
    EXPECT_EQ(events,
              (std::vector<QString>{QStringLiteral("save begins"), QStringLiteral("save ends"), QStringLiteral("other")}));
}

TEST(NoBus, NoAddressAndNoRuntimeSocket)
{
    QTemporaryDir runtime;
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    CommandService service({});
    const ServiceRegistration result = service.registerOnSessionBus();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    qputenv("XDG_RUNTIME_DIR", runtimeDir);
    EXPECT_EQ(result, ServiceRegistration::NoBus);
}

// Only meaningful in the run without a bus, where the address points nowhere.
TEST(NoBus, AddressPointsNowhere)
{
    if (!qgetenv("DBUS_SESSION_BUS_ADDRESS").contains("/nonexistent/"))
        GTEST_SKIP() << "a bus is reachable here";
    CommandService service({});
    EXPECT_EQ(service.registerOnSessionBus(), ServiceRegistration::NoBus);
}

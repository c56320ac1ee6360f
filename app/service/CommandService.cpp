#include "app/service/CommandService.h"

#include "app/service/CommandObject.h"
#include "platform/desktop/Log.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QFileInfo>
#include <QPointer>

#include <deque>
#include <optional>
#include <utility>

namespace quorvell {

namespace {

// More calls than this waiting behind a running command are dropped: a stuck
// modal chooser should not pile up commands without end.
constexpr std::size_t kMaxPendingCalls = 64;

// Whether a session bus can be reached without starting one. With no address in
// the environment libdbus would look for $XDG_RUNTIME_DIR/bus and then try X11
// autolaunch, which starts a stray daemon that outlives us; we stop before that.
bool sessionBusReachable()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return false;
    const QFileInfo socket(runtime + QStringLiteral("/bus"));
    return socket.exists() && !socket.isDir();
}

}  // namespace

class CommandServicePrivate {
public:
    CommandHandlers handlers;
    std::unique_ptr<CommandObject> object;
    std::optional<QDBusConnection> connection;
    ServiceRegistration state = ServiceRegistration::NoBus;
    bool registered = false;
    std::deque<ServiceMethod> pending;
    bool running = false;

    // Runs the waiting calls one after another, never one inside another: a command
    // that opens a modal window spins a nested event loop, and calls arriving then
    // wait until it has ended.
    void drain()
    {
        if (running)
            return;
        running = true;
        while (!pending.empty()) {
            const ServiceMethod method = pending.front();
            pending.pop_front();
            run(method);
        }
        running = false;
    }

    void run(const ServiceMethod& method) const
    {
        switch (method.action) {
        case ServiceAction::RunCommand:
            if (handlers.run)
                handlers.run(method.command);
            break;
        case ServiceAction::ShowPreferences:
            if (handlers.showPreferences)
                handlers.showPreferences();
            break;
        case ServiceAction::Quit:
            if (handlers.quit)
                handlers.quit();
            break;
        }
    }
};

CommandService::CommandService(CommandHandlers handlers, QObject* parent)
    : QObject(parent), d(std::make_unique<CommandServicePrivate>())
{
    d->handlers = std::move(handlers);
}

CommandService::~CommandService()
{
    if (d->registered && d->connection) {
        d->connection->unregisterObject(QLatin1String(kServicePath));
        if (QDBusConnectionInterface* bus = d->connection->interface())
            bus->unregisterService(QLatin1String(kServiceName));
    }
}

ServiceRegistration CommandService::registerOnSessionBus()
{
    if (d->registered)
        return ServiceRegistration::Registered;
    if (!sessionBusReachable())
        return ServiceRegistration::NoBus;
    QDBusConnection connection = QDBusConnection::sessionBus();
    QDBusConnectionInterface* bus = connection.isConnected() ? connection.interface() : nullptr;
    if (bus == nullptr)
        return ServiceRegistration::NoBus;

    // The object takes calls from the connection's thread; every command runs on
    // the thread this service lives in (the main thread), queued behind the reply.
    QPointer<CommandService> self(this);
    auto dispatch = [self](const ServiceMethod& method) {
        QMetaObject::invokeMethod(
            self.data(),
            [self, method] {
                if (!self || self->d->pending.size() >= kMaxPendingCalls) {
                    platform::desktop::log(QStringLiteral("Too many calls waiting; dropped %1").arg(method.name));
                    return;
                }
                self->d->pending.push_back(method);
                self->d->drain();
            },
            Qt::QueuedConnection);
    };
    d->object = std::make_unique<CommandObject>(std::move(dispatch));
    if (!connection.registerVirtualObject(QLatin1String(kServicePath), d->object.get(),
                                          QDBusConnection::SingleNode)) {
        d->object.reset();
        return ServiceRegistration::NameTaken;
    }

    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus->registerService(
        QLatin1String(kServiceName), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        connection.unregisterObject(QLatin1String(kServicePath));
        d->object.reset();
        return reply.isValid() ? ServiceRegistration::NameTaken : ServiceRegistration::NoBus;
    }
    d->connection = connection;
    d->registered = true;
    return ServiceRegistration::Registered;
}

}  // namespace quorvell

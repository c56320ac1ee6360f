#include "app/service/CommandObject.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>

#include <utility>

namespace quorvell {

CommandObject::CommandObject(Dispatch dispatch, QObject* parent)
    : QDBusVirtualObject(parent), m_dispatch(std::move(dispatch))
{
}

QString CommandObject::introspect(const QString& /*path*/) const
{
    return serviceIntrospection();
}

bool CommandObject::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    if (!message.interface().isEmpty() && message.interface() != QLatin1String(kServiceInterface))
        return false;

    const auto answer = [&](const QDBusMessage& reply) {
        if (message.isReplyRequired())
            connection.send(reply);
    };
    const std::optional<ServiceMethod> method = findServiceMethod(message.member());
    if (!method) {
        answer(message.createErrorReply(QDBusError::UnknownMethod,
                                        QStringLiteral("No method \"%1\" in %2").arg(message.member(),
                                                                                   QLatin1String(kServiceInterface))));
        return true;
    }
    if (!message.signature().isEmpty()) {
        answer(message.createErrorReply(QDBusError::InvalidArgs,
                                        QStringLiteral("%1 takes no arguments").arg(method->name)));
        return true;
    }
    answer(message.createReply());
    if (m_dispatch)
        m_dispatch(*method);
    return true;
}

}  // namespace quorvell

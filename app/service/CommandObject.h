#pragma once
// The object the service exports: answers every method of serviceMethods() at once
// with an empty reply and hands the method to dispatch. Calls with arguments get
// InvalidArgs, unknown names UnknownMethod. Introspection lists every method.
//
// The reply goes out before the command runs: commands such as SaveToPDF open a
// modal chooser, and a caller (a desktop shortcut, gdbus) should not wait on it
// or time out. dispatch must not block.

#include "app/service/ServiceInterface.h"

#include <QDBusVirtualObject>

#include <functional>

namespace quorvell {

class CommandObject : public QDBusVirtualObject {
public:
    using Dispatch = std::function<void(const ServiceMethod& method)>;

    explicit CommandObject(Dispatch dispatch, QObject* parent = nullptr);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    Dispatch m_dispatch;
};

}  // namespace quorvell

#include "app/service/ServiceInterface.h"

namespace quorvell {

const std::vector<ServiceMethod>& serviceMethods()
{
    static const std::vector<ServiceMethod> methods = [] {
        std::vector<ServiceMethod> list;
        list.reserve(kCommandTable.size() + 2);
        for (const CommandRow& row : kCommandTable) {
            const std::string_view name = commandName(row);
            list.push_back({QString::fromLatin1(name.data(), static_cast<int>(name.size())),
                            ServiceAction::RunCommand, row.command});
        }
        list.push_back({QStringLiteral("ShowPreferences"), ServiceAction::ShowPreferences, Command::CopyContent});
        list.push_back({QStringLiteral("Quit"), ServiceAction::Quit, Command::CopyContent});
        return list;
    }();
    return methods;
}

std::optional<ServiceMethod> findServiceMethod(const QString& member)
{
    for (const ServiceMethod& method : serviceMethods()) {
        if (method.name == member)
            return method;
    }
    return std::nullopt;
}

QString serviceIntrospection()
{
    QString xml = QStringLiteral("  <interface name=\"%1\">\n").arg(QLatin1String(kServiceInterface));
    for (const ServiceMethod& method : serviceMethods())
        xml += QStringLiteral("    <method name=\"%1\"/>\n").arg(method.name);
    xml += QStringLiteral("  </interface>\n");
    return xml;
}

}  // namespace quorvell

#include "platform/applescript/Dictionary.h"

#include <QHash>

#include <mutex>

namespace platform::applescript {

namespace {

struct Registry {
    std::mutex mutex;
    QHash<QString, std::shared_ptr<Application>> applications;  // keyed by lower-case name
    std::shared_ptr<ClipboardAccess> clipboard;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

}  // namespace

Reply Reply::error(int number, QString message)
{
    Reply reply;
    reply.m_errorNumber = number == 0 ? -2700 : number;
    reply.m_errorMessage = std::move(message);
    return reply;
}

const Value* CommandCall::parameter(const QString& label) const
{
    for (const auto& [key, value] : labelled)
        if (key == label)
            return &value;
    return nullptr;
}

Reply Object::property(const QString&) const
{
    return Reply::error(-1728);
}

Reply Object::elements(const QString&) const
{
    return Reply::error(-1728);
}

Reply Object::command(const CommandCall&)
{
    return Reply::error(-1708);
}

void registerApplication(const QString& name, std::shared_ptr<Application> application)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    if (application)
        r.applications.insert(name.toLower(), std::move(application));
    else
        r.applications.remove(name.toLower());
}

std::shared_ptr<Application> findApplication(const QString& name)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.applications.value(name.toLower());
}

void registerClipboard(std::shared_ptr<ClipboardAccess> clipboard)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.clipboard = std::move(clipboard);
}

std::shared_ptr<ClipboardAccess> findClipboard()
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.clipboard;
}

}  // namespace platform::applescript

#include "platform/applescript/ScriptObjects.h"

#include "platform/applescript/Operations.h"

namespace platform::applescript {

namespace {

thread_local std::vector<Value> t_pending;
thread_local bool t_releasing = false;

}  // namespace

void releaseLater(std::vector<Value>&& values)
{
    for (Value& v : values)
        t_pending.push_back(std::move(v));
    values.clear();
    if (t_releasing)
        return;
    t_releasing = true;
    while (!t_pending.empty()) {
        // Destroyed at the end of the turn; what it held joins the queue.
        const Value last = std::move(t_pending.back());
        t_pending.pop_back();
    }
    t_releasing = false;
}

ScriptObject::~ScriptObject()
{
    sever();
}

void ScriptObject::sever()
{
    def = nullptr;
    std::vector<Value> held;
    held.reserve(static_cast<size_t>(properties.size()));
    for (Value& v : properties)
        held.push_back(std::move(v));
    properties.clear();
    releaseLater(std::move(held));
}

QString ScriptObject::describe() const
{
    return name.isEmpty() ? QStringLiteral("«script»") : QStringLiteral("«script %1»").arg(name);
}

Reference::~Reference()
{
    sever();
}

void Reference::sever()
{
    std::vector<Value> held;
    held.push_back(std::move(container));
    container = Value();
    releaseLater(std::move(held));
}

QString Reference::describe() const
{
    switch (to) {
    case To::Item: return QStringLiteral("item %1 of %2").arg(index).arg(displayForm(container));
    case To::Field:
    case To::Property: return QStringLiteral("%1 of %2").arg(name, displayForm(container));
    case To::Global:
    case To::RunVariable: return name;
    }
    return name;
}

}  // namespace platform::applescript

// Script objects and references of the Interpreter: making and copying script
// objects, their properties, handler calls, and reading and writing through
// references.

#include "platform/applescript/Interpreter.h"

#include "platform/applescript/Dictionary.h"
#include "platform/applescript/ScriptError.h"

#include <algorithm>

namespace platform::applescript {

namespace {

constexpr int errCantSet = -10006;
constexpr int kMaxReferenceChain = 32;

// Restores a value when the scope ends, also when an error unwinds it.
template <class T>
class Restore {
public:
    Restore(T& target, T value) : m_target(target), m_saved(std::move(target)) { m_target = std::move(value); }
    ~Restore() { m_target = std::move(m_saved); }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

private:
    T& m_target;
    T m_saved;
};

QString labelText(const QString& label)
{
    return label.startsWith(u':') ? QStringLiteral("given %1").arg(label.mid(1)) : label;
}

}  // namespace

Interpreter::~Interpreter()
{
    // Everything made is held first, so severing one never frees another on the way.
    std::vector<std::shared_ptr<Entity>> alive;
    alive.reserve(m_made.size());
    for (const auto& weak : m_made)
        if (auto made = weak.lock())
            alive.push_back(std::move(made));
    for (const auto& made : alive)
        made->sever();
}

void Interpreter::remember(std::shared_ptr<Entity> made)
{
    if (m_made.size() >= m_madePruneAt) {
        m_made.erase(std::remove_if(m_made.begin(), m_made.end(), [](const auto& w) { return w.expired(); }),
                     m_made.end());
        m_madePruneAt = std::max<size_t>(1024, m_made.size() * 2);
    }
    m_made.push_back(std::move(made));
}

// The initial values are evaluated where the definition runs, so a script made
// in a handler may start from the handler's parameters (`property k : n`).
Value Interpreter::instantiate(const ScriptDef& def)
{
    // Not make_shared: the weak pointer of the registry would keep the whole object's memory.
    std::shared_ptr<ScriptObject> object(new ScriptObject(def.name, &def));
    remember(object);
    Depth depth(m_callDepth, m_limits.maxCallDepth);
    for (const auto& [name, init] : def.properties) {
        step();
        Value v = eval(*init);
        object->properties.insert(name, std::move(v));
    }
    return Value::script(std::move(object));
}

Value Interpreter::copyScript(const Value& script)
{
    const ScriptObject& original = *script.scriptObject();
    std::shared_ptr<ScriptObject> copy(new ScriptObject(original.name, original.def));
    remember(copy);
    for (auto it = original.properties.constBegin(); it != original.properties.constEnd(); ++it)
        copy->properties.insert(it.key(), it.value().deepCopy());
    return Value::script(std::move(copy));
}

Value Interpreter::scriptProperty(const Value& script, const QString& name) const
{
    const ScriptObject& object = *script.scriptObject();
    if (const auto it = object.properties.constFind(name); it != object.properties.constEnd())
        return *it;
    if (name == u"class")
        return Value::className(QStringLiteral("script"));
    if (name == u"name" && !object.name.isEmpty())
        return Value(object.name);
    if (name == u"parent")
        throwRuntime(errDefault, QStringLiteral("The parent of a script object is not supported."));
    throwRuntime(errCantGet, QStringLiteral("Can’t get %1 of %2.").arg(name, object.describe()));
}

void Interpreter::setScriptProperty(const Value& script, const QString& name, const Value& v)
{
    ScriptObject& object = *script.scriptObject();
    const auto it = object.properties.find(name);
    if (it == object.properties.end())
        throwRuntime(errCantSet, QStringLiteral("Can’t set %1 of %2 to %3: it has no such property.")
                                     .arg(name, object.describe(), displayForm(v)));
    *it = v;
}

// A handler call: `f(1)`, `greet given name:"Ann"`, `s's f()`, inside `tell s`.
Value Interpreter::evalCall(const Node& n)
{
    std::shared_ptr<ScriptObject> receiver;
    bool named = false;  // the call names its script object: it alone may answer
    if (n.a) {
        const Value target = valueOf(*n.a);
        if (target.kind() != Value::Kind::Script)
            throwRuntime(errNotUnderstood, QStringLiteral("%1 doesn’t understand the “%2” message.")
                                               .arg(displayForm(target), n.name));
        receiver = target.scriptObject();
        named = true;
    } else if (!n.flag && !m_tellTargets.empty()) {
        const Value& target = m_tellTargets.back();
        if (target.kind() == Value::Kind::Object)
            throwRuntime(errNotUnderstood, QStringLiteral("%1 doesn’t understand the “%2” message.")
                                               .arg(target.object()->describe(), n.name));
        if (target.kind() == Value::Kind::Script) {
            receiver = target.scriptObject();
            named = true;
        }
    }
    if (!receiver)
        receiver = frame().self;
    if (receiver && receiver->def) {
        if (const Handler* h = receiver->def->handler(n.name))
            return callHandler(n, h, h->body, receiver);
        if (n.name == u"run" && n.kids.empty())
            return callHandler(n, nullptr, receiver->def->run, receiver);
    }
    if (named)
        throwRuntime(errNotUnderstood, QStringLiteral("%1 doesn’t understand the “%2” message.")
                                           .arg(receiver->describe(), n.name));
    const auto it = m_handlers.constFind(n.name);
    if (it == m_handlers.constEnd())
        throwRuntime(errNotUnderstood, QStringLiteral("«script» doesn’t understand the “%1” message.").arg(n.name));
    return callHandler(n, *it, (*it)->body, nullptr);
}

// Runs the body with the call's arguments bound to the handler's parameters
// (none for a script object's run statements, handler null).
Value Interpreter::callHandler(const Node& n, const Handler* handler, const Block& body,
                               std::shared_ptr<ScriptObject> self)
{
    Frame callee;
    callee.self = std::move(self);
    const bool labelled = !n.names.empty();
    if (handler && labelled != handler->takesLabels && !(n.kids.empty() && handler->parameters.empty()))
        throwRuntime(errWrongParameters,
                     labelled ? QStringLiteral("The handler %1 takes parameters in parentheses, not labelled ones.")
                                    .arg(n.name)
                              : QStringLiteral("The handler %1 takes labelled parameters, not parameters in parentheses.")
                                    .arg(n.name));
    if (!labelled) {
        const size_t wanted = handler ? handler->parameters.size() : 0;
        if (wanted != n.kids.size())
            throwRuntime(errWrongParameters, QStringLiteral("The handler %1 takes %2 parameters, not %3.")
                                                 .arg(n.name)
                                                 .arg(wanted)
                                                 .arg(n.kids.size()));
        for (size_t i = 0; i < n.kids.size(); ++i) {
            callee.locals.insert(handler->parameters[i], eval(*n.kids[i]));
            callee.declaredLocal.insert(handler->parameters[i]);
        }
    } else {
        if (!handler)
            throwRuntime(errWrongParameters, QStringLiteral("The run handler of %1 takes no parameters.")
                                                 .arg(callee.self ? callee.self->describe() : QStringLiteral("«script»")));
        for (const QString& given : n.names)
            if (std::none_of(handler->labelled.begin(), handler->labelled.end(),
                             [&](const auto& p) { return p.first == given; }))
                throwRuntime(errWrongParameters,
                             QStringLiteral("The handler %1 has no “%2” parameter.").arg(n.name, labelText(given)));
        for (const auto& [label, variable] : handler->labelled)
            if (std::find(n.names.begin(), n.names.end(), label) == n.names.end())
                throwRuntime(errWrongParameters,
                             QStringLiteral("The call of %1 lacks its “%2” parameter.").arg(n.name, labelText(label)));
        for (size_t i = 0; i < n.kids.size(); ++i) {
            Value v = eval(*n.kids[i]);
            for (const auto& [label, variable] : handler->labelled) {
                if (label == n.names[i]) {
                    callee.locals.insert(variable, std::move(v));
                    callee.declaredLocal.insert(variable);
                    break;
                }
            }
        }
    }
    step();
    Depth depth(m_callDepth, m_limits.maxCallDepth);
    Restore<std::vector<Value>> tells(m_tellTargets, {});
    Restore<Value> result(m_result, Value());
    m_frames.push_back(std::move(callee));
    struct PopFrame {
        std::vector<Frame>& frames;
        size_t size;
        ~PopFrame() { frames.resize(size); }
    } pop{m_frames, m_frames.size() - 1};
    const Flow flow = execBlock(body);
    return flow == Flow::Return ? m_returnValue : m_result;
}

// `a reference to PLACE`.
Value Interpreter::makeReference(const Node& target)
{
    auto made = [&](Reference::To to, Value container, qint64 index, const QString& name) {
        std::shared_ptr<Reference> r(new Reference(to, std::move(container), index, name));
        remember(r);
        return Value::reference(std::move(r));
    };
    switch (target.kind) {
    case NodeKind::Element: {
        const Value container = target.a ? valueOf(*target.a) : tellTarget(target);
        if (container.kind() == Value::Kind::List && target.name == u"item") {
            const qint64 count = static_cast<qint64>(container.items().size());
            qint64 index = 0;
            switch (target.selector) {
            case Selector::Index: index = indexValue(*target.b); break;
            case Selector::First: index = 1; break;
            case Selector::Last: index = -1; break;
            case Selector::Middle: index = count == 0 ? 1 : (count + 1) / 2; break;
            default:
                throwRuntime(errCantMake, QStringLiteral("A reference to several items is not supported."));
            }
            if (index == 0)
                throwRuntime(errInvalidIndex, QStringLiteral("Can’t get item 0 of %1. Invalid index.").arg(displayForm(container)));
            return made(Reference::To::Item, container, index, {});
        }
        const Value v = eval(target);
        if (v.kind() == Value::Kind::Object)
            return v;  // an application's object is a reference already
        throwRuntime(errCantMake, QStringLiteral("A reference to %1 %2 is not supported: only to an item of a list.")
                                      .arg(target.name, container.kind() == Value::Kind::Text ? QStringLiteral("of a text")
                                                                                                : QStringLiteral("of that")));
    }
    case NodeKind::Property: {
        const Value container = target.a ? valueOf(*target.a) : tellTarget(target);
        if (container.kind() == Value::Kind::Record)
            return made(Reference::To::Field, container, 0, target.name);
        if (container.kind() == Value::Kind::Script)
            return made(Reference::To::Property, container, 0, target.name);
        if (container.kind() == Value::Kind::Object)
            return eval(target);
        throwRuntime(errCantMake, QStringLiteral("A reference to the %1 of %2 is not supported.")
                                      .arg(target.name, displayForm(container)));
    }
    case NodeKind::Variable:
    case NodeKind::MyVariable: {
        Frame& f = frame();
        const QString& name = target.name;
        const bool declaredLocal = f.declaredLocal.contains(name) || f.locals.contains(name);
        if (f.self && !f.declaredGlobal.contains(name) && (target.kind == NodeKind::MyVariable || !declaredLocal)
            && f.self->properties.contains(name))
            return made(Reference::To::Property, Value::script(f.self), 0, name);
        if (target.kind == NodeKind::MyVariable || f.declaredGlobal.contains(name)
            || (!declaredLocal && m_globalNames.contains(name)))
            return made(Reference::To::Global, Value(), 0, name);
        if (m_frames.size() == 1)
            return made(Reference::To::RunVariable, Value(), 0, name);
        throwRuntime(errCantMake,
                     QStringLiteral("A reference to %1, a local variable of a handler, is not supported.").arg(name));
    }
    default: {
        const Value v = eval(target);
        if (v.kind() == Value::Kind::Object || v.kind() == Value::Kind::Reference)
            return v;
        throwRuntime(errCantMake, QStringLiteral("A reference to %1 is not supported: only to an item of a list, a "
                                                 "field of a record, a property or a variable.")
                                      .arg(displayForm(v)));
    }
    }
}

Value Interpreter::deref(Value v)
{
    for (int i = 0; v.kind() == Value::Kind::Reference; ++i) {
        if (i == kMaxReferenceChain)
            throwRuntime(errStackOverflow, QStringLiteral("References refer to each other too deeply."));
        const std::shared_ptr<Reference> r = v.referenceTarget();
        v = readReference(*r);
    }
    return v;
}

Value Interpreter::readReference(const Reference& r)
{
    switch (r.to) {
    case Reference::To::Item: {
        if (r.container.kind() != Value::Kind::List)
            break;
        const List& items = r.container.items();
        const qint64 count = static_cast<qint64>(items.size());
        const qint64 index = r.index < 0 ? r.index + count + 1 : r.index;
        if (index < 1 || index > count)
            throwRuntime(errCantGet, QStringLiteral("Can’t get %1.").arg(r.describe()));
        return items.at(static_cast<size_t>(index - 1));
    }
    case Reference::To::Field:
        if (r.container.kind() != Value::Kind::Record)
            break;
        if (const Value* field = r.container.recordPointer()->find(r.name))
            return *field;
        throwRuntime(errCantGet, QStringLiteral("Can’t get %1.").arg(r.describe()));
    case Reference::To::Property:
        if (r.container.kind() != Value::Kind::Script)
            break;
        return scriptProperty(r.container, r.name);
    case Reference::To::Global: {
        const auto it = m_globals.constFind(r.name);
        if (it == m_globals.constEnd())
            throwRuntime(errUndefinedVariable, QStringLiteral("The variable %1 is not defined.").arg(r.name));
        return *it;
    }
    case Reference::To::RunVariable: {
        const auto& locals = m_frames.front().locals;
        const auto it = locals.constFind(r.name);
        if (it == locals.constEnd())
            throwRuntime(errUndefinedVariable, QStringLiteral("The variable %1 is not defined.").arg(r.name));
        return *it;
    }
    }
    throwRuntime(errCantGet, QStringLiteral("Can’t get the contents of a reference that no longer exists."));
}

void Interpreter::writeReference(const Reference& r, const Value& v)
{
    switch (r.to) {
    case Reference::To::Item: {
        if (r.container.kind() != Value::Kind::List)
            break;
        checkNesting(v, r.container.listPointer().get());
        List& items = *r.container.listPointer();
        const qint64 count = static_cast<qint64>(items.size());
        const qint64 index = r.index < 0 ? r.index + count + 1 : r.index;
        if (index < 1 || index > count)
            throwRuntime(errCantSet, QStringLiteral("Can’t set %1 to %2.").arg(r.describe(), displayForm(v)));
        items.set(static_cast<size_t>(index - 1), v);
        return;
    }
    case Reference::To::Field: {
        if (r.container.kind() != Value::Kind::Record)
            break;
        checkNesting(v, r.container.recordPointer().get());
        Record& record = *r.container.recordPointer();
        if (Value* field = record.find(r.name))
            *field = v;
        else
            record.fields.emplace_back(r.name, v);
        return;
    }
    case Reference::To::Property:
        if (r.container.kind() != Value::Kind::Script)
            break;
        setScriptProperty(r.container, r.name, v);
        return;
    case Reference::To::Global: m_globals[r.name] = v; return;
    case Reference::To::RunVariable: m_frames.front().locals[r.name] = v; return;
    }
    throwRuntime(errCantSet, QStringLiteral("Can’t set the contents of a reference that no longer exists."));
}

// `set contents of x to v`: through a reference, or the item a `repeat with x in L` is at.
void Interpreter::setContents(const Node& target, const Value& v)
{
    if (target.a && target.a->kind == NodeKind::Variable) {
        const size_t here = m_frames.size() - 1;
        for (auto it = m_loopItems.rbegin(); it != m_loopItems.rend() && it->frame == here; ++it) {
            if (*it->name != target.a->name)
                continue;
            const Value* current = slot(target.a->name, false);
            if (current && current->kind() != Value::Kind::Reference) {
                if (it->index >= it->items->size())
                    break;
                checkNesting(v, it->items.get());
                it->items->set(it->index, v);
                write(target.a->name, v);
                return;
            }
            break;
        }
    }
    const Value container = target.a ? eval(*target.a) : tellTarget(target);
    if (container.kind() != Value::Kind::Reference)
        throwRuntime(errCantSet, QStringLiteral("Can’t set contents of %1: it is not a reference.").arg(displayForm(container)));
    writeReference(*container.referenceTarget(), v);
}

}  // namespace platform::applescript

// Variables and assignment of the Interpreter: where a name lives (a local, a
// property of the running script object, a global), and what `set` and `copy`
// may write to.

#include "platform/applescript/Interpreter.h"

#include "platform/applescript/Dictionary.h"
#include "platform/applescript/ScriptError.h"

namespace platform::applescript {

namespace {

constexpr int errCantSet = -10006;

}  // namespace

// --- variables ---

Value* Interpreter::slot(const QString& name, bool forWrite)
{
    Frame& f = frame();
    if (f.self && !f.declaredGlobal.contains(name) && !f.declaredLocal.contains(name) && !f.locals.contains(name)) {
        if (const auto it = f.self->properties.find(name); it != f.self->properties.end())
            return &*it;
    }
    const bool global = f.declaredGlobal.contains(name)
        || (!f.declaredLocal.contains(name) && m_globalNames.contains(name) && !f.locals.contains(name));
    if (global) {
        auto it = m_globals.find(name);
        if (it == m_globals.end())
            return forWrite ? &m_globals[name] : nullptr;
        return &*it;
    }
    auto it = f.locals.find(name);
    if (it == f.locals.end())
        return forWrite ? &f.locals[name] : nullptr;
    return &*it;
}

Value Interpreter::read(const QString& name)
{
    if (const Value* v = slot(name, false))
        return *v;
    if (name == u"applescript")
        return Value(QStringLiteral("AppleScript"));
    if (name == u"result")
        return m_result;
    if (name == u"parent")
        throwRuntime(errDefault, QStringLiteral("The parent of a script object is not supported."));
    throwRuntime(errUndefinedVariable, QStringLiteral("The variable %1 is not defined.").arg(name));
}

void Interpreter::write(const QString& name, const Value& v)
{
    *slot(name, true) = v;
}

Value Interpreter::delimiters() const
{
    List items;
    for (const QString& d : m_rules.delimiters)
        items.emplace_back(d);
    return Value::list(std::move(items));
}

void Interpreter::setDelimiters(const Value& v)
{
    QStringList delimiters;
    if (v.kind() == Value::Kind::List) {
        for (const Value& item : v.items()) {
            if (item.kind() != Value::Kind::Text)
                throwRuntime(errCantMake, QStringLiteral("Can’t make %1 into type text.").arg(displayForm(item)));
            delimiters << item.text();
        }
    } else {
        delimiters << toText(v, m_rules);
    }
    m_rules.delimiters = delimiters;
}

// --- assignment ---

void Interpreter::assign(const Node& target, const Value& v)
{
    const Node* const parent = std::exchange(m_current, &target);
    assignCurrent(target, v);
    m_current = parent;
}

void Interpreter::assignCurrent(const Node& target, const Value& v)
{
    switch (target.kind) {
    case NodeKind::Variable:
        write(target.name, v);
        return;
    case NodeKind::MyVariable:
        if (const auto& self = frame().self) {
            if (const auto it = self->properties.find(target.name); it != self->properties.end()) {
                *it = v;
                return;
            }
        }
        m_globals[target.name] = v;
        return;
    case NodeKind::Delimiters:
        setDelimiters(deref(v));
        return;
    case NodeKind::Clipboard: {
        const auto clipboard = findClipboard();
        if (!clipboard || !clipboard->setText(toText(deref(v), m_rules)))
            throwRuntime(errCantSet, QStringLiteral("Can’t set the clipboard to %1.").arg(displayForm(v)));
        return;
    }
    case NodeKind::ListLiteral: {
        const Value value = deref(v);
        const Value list = value.kind() == Value::Kind::List ? value : coerce(value, TypeName::List, m_rules);
        const List items = list.items();
        for (size_t i = 0; i < target.kids.size(); ++i) {
            if (i >= items.size())
                throwRuntime(errCantGet, QStringLiteral("Can’t get item %1 of %2.").arg(i + 1).arg(displayForm(list)));
            assign(*target.kids[i], items.at(i));
        }
        return;
    }
    case NodeKind::Property: {
        if (target.name == u"contents") {
            setContents(target, v);
            return;
        }
        const Value container = valueOf(*target.a);
        if (container.kind() == Value::Kind::Script) {
            setScriptProperty(container, target.name, v);
            return;
        }
        if (container.kind() == Value::Kind::Record) {
            checkNesting(v, container.recordPointer().get());
            Record& r = *container.recordPointer();
            if (Value* field = r.find(target.name))
                *field = v;
            else
                r.fields.emplace_back(target.name, v);
            return;
        }
        throwRuntime(errCantSet, QStringLiteral("Can’t set %1 of %2 to %3.")
                                     .arg(target.name, displayForm(container), displayForm(v)));
    }
    case NodeKind::Element:
        assignElement(target, v);
        return;
    default:
        throwRuntime(errCantSet, QStringLiteral("Can’t set that."));
    }
}

void Interpreter::assignElement(const Node& target, const Value& v)
{
    const Value container = valueOf(*target.a);
    if (container.kind() != Value::Kind::List || target.name != u"item")
        throwRuntime(errCantSet, QStringLiteral("Can’t set %1 of %2 to %3.")
                                     .arg(target.name, displayForm(container), displayForm(v)));
    checkNesting(v, container.listPointer().get());
    List& items = *container.listPointer();
    if (target.selector == Selector::End || target.selector == Selector::Beginning) {
        checkListLength(items.size() + 1);
        if (target.selector == Selector::End)
            items.push_back(v);
        else
            items.insert(0, v);
        return;
    }
    const qint64 count = static_cast<qint64>(items.size());
    qint64 index = target.selector == Selector::Last ? count : indexValue(*target.b);
    if (index < 0)
        index += count + 1;
    if (index < 1 || index > count)
        throwRuntime(errCantSet, QStringLiteral("Can’t set item %1 of %2 to %3.")
                                     .arg(index)
                                     .arg(displayForm(container), displayForm(v)));
    items.set(static_cast<size_t>(index - 1), v);
}

}  // namespace platform::applescript

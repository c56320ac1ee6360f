// References of the Interpreter: properties, elements, handler calls, and what
// goes to an application's dictionary (properties, elements, commands).

#include "platform/applescript/Interpreter.h"

#include "platform/applescript/Dictionary.h"
#include "platform/applescript/ScriptError.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

namespace platform::applescript {

namespace {

QString elementText(const QString& cls, const QString& selector, const Value& container)
{
    return QStringLiteral("%1 %2 of %3").arg(cls, selector, displayForm(container));
}

}  // namespace

Value Interpreter::tellTarget(const Node& n) const
{
    if (m_tellTargets.empty())
        throwRuntime(errCantGet, QStringLiteral("Can’t get %1.").arg(n.name));
    return m_tellTargets.back();
}

void Interpreter::replyError(const Reply& reply, const QString& cantGet) const
{
    QString message = reply.errorMessage();
    if (message.isEmpty())
        message = reply.errorNumber() == errCantGet ? cantGet
                                                     : QStringLiteral("An error of type %1 has occurred.")
                                                           .arg(reply.errorNumber());
    throwRuntime(reply.errorNumber(), message);
}

Value Interpreter::evalProperty(const Node& n)
{
    Value container = n.a ? eval(*n.a) : tellTarget(n);
    if (n.a && n.a->kind == NodeKind::Variable && n.a->name == u"applescript" && n.name == u"text item delimiters")
        return delimiters();
    if (container.kind() == Value::Kind::Reference) {
        if (n.name == u"contents")
            return readReference(*container.referenceTarget());
        container = deref(std::move(container));
    }
    if (container.kind() == Value::Kind::Script)
        return scriptProperty(container, n.name);
    if (container.kind() == Value::Kind::Object && n.name == u"class")
        return Value::className(container.object()->className());
    if (container.kind() == Value::Kind::Object) {
        const Reply reply = container.object()->property(n.name);
        if (!reply.ok())
            replyError(reply, QStringLiteral("Can’t get %1 of %2.").arg(n.name, container.object()->describe()));
        return reply.value();
    }
    // A dictionary property of a list of elements is that property of each:
    // `address of every to recipient of m` is a list of addresses.
    // A list's own properties (length, reverse, rest, class) stay the list's.
    static const QSet<QString> kListProperties = {QStringLiteral("length"), QStringLiteral("reverse"),
                                                  QStringLiteral("rest"), QStringLiteral("class")};
    if (container.kind() == Value::Kind::List && !kListProperties.contains(n.name)
        && (n.flag || appliesToEach(container)))
        return mapProperty(container, n, 0);
    return builtinProperty(container, n.name);
}

bool Interpreter::appliesToEach(const Value& list)
{
    const List& items = list.items();
    return !items.empty()
        && std::all_of(items.begin(), items.end(), [](const Value& v) { return v.kind() == Value::Kind::Object; });
}

Value Interpreter::mapProperty(const Value& list, const Node& n, int depth)
{
    if (depth >= kMaxValueDepth)
        throwRuntime(errStackOverflow, QStringLiteral("Lists and records are nested too deeply."));
    List out;
    out.reserve(list.items().size());
    for (const Value& item : list.items()) {
        step();
        if (item.kind() == Value::Kind::Object) {
            const Reply reply = item.object()->property(n.name);
            if (!reply.ok())
                replyError(reply, QStringLiteral("Can’t get %1 of %2.").arg(n.name, item.object()->describe()));
            out.push_back(reply.value());
        } else if (item.kind() == Value::Kind::List) {
            out.push_back(mapProperty(item, n, depth + 1));
        } else {
            out.push_back(builtinProperty(item, n.name));
        }
    }
    return Value::list(std::move(out));
}

Value Interpreter::elementsOf(const Value& container, const QString& cls)
{
    switch (container.kind()) {
    case Value::Kind::Object: {
        const Reply reply = container.object()->elements(cls);
        if (!reply.ok())
            replyError(reply, QStringLiteral("Can’t get every %1 of %2.").arg(cls, container.object()->describe()));
        if (reply.value().kind() != Value::Kind::List)
            return Value::list(List{reply.value()});
        return reply.value();
    }
    case Value::Kind::List:
        if (cls == u"item")
            return container;
        break;
    case Value::Kind::Text: {
        if (cls == u"text")
            break;
        step(container.text().size() / 64);
        QStringList parts = textElements(container.text(), cls, m_rules);
        List items;
        items.reserve(static_cast<size_t>(parts.size()));
        for (QString& part : parts)
            items.emplace_back(std::move(part));
        return Value::list(std::move(items));
    }
    default:
        break;
    }
    throwRuntime(errCantGet, QStringLiteral("Can’t get every %1 of %2.").arg(cls, displayForm(container)));
}

qint64 Interpreter::indexValue(const Node& n)
{
    return indexValue(eval(n));
}

qint64 Interpreter::indexValue(const Value& v)
{
    if (v.kind() == Value::Kind::Real && v.real() != std::trunc(v.real()))
        throwRuntime(errInvalidIndex, QStringLiteral("Invalid index %1.").arg(displayForm(v)));
    try {
        return toInteger(v);
    } catch (const ScriptError&) {
        throwRuntime(errInvalidIndex, QStringLiteral("Invalid index %1.").arg(displayForm(v)));
    }
}

Value Interpreter::evalElement(const Node& n)
{
    const Value container = n.a ? valueOf(*n.a) : tellTarget(n);
    // `text i thru j of s` is a substring, not a list of pieces.
    if (n.name == u"text" && container.kind() == Value::Kind::Text && n.selector == Selector::Range) {
        const qint64 count = container.text().size();
        qint64 from = indexValue(*n.b);
        qint64 to = indexValue(*n.c);
        if (from < 0) from += count + 1;
        if (to < 0) to += count + 1;
        if (from > to) std::swap(from, to);
        if (from < 1 || to > count)
            throwRuntime(errCantGet,
                         QStringLiteral("Can’t get %1.").arg(elementText(QStringLiteral("text"),
                                                                         QStringLiteral("%1 thru %2").arg(from).arg(to),
                                                                         container)));
        return Value(container.text().mid(from - 1, to - from + 1));
    }
    if (n.name == u"text" && container.kind() == Value::Kind::Text && n.selector == Selector::All)
        return container;
    const QString cls = n.name == u"text" ? QStringLiteral("character") : n.name;
    const Value all = elementsOf(container, cls);
    if (n.kids.empty())
        return pick(all, n, container, n.name);
    const Value kept = filter(all, *n.kids[0]);
    return pick(kept, n, container, n.name);
}

// The elements for which the `whose` condition holds, each tested as the target
// of the condition's bare property names and of `it`.
Value Interpreter::filter(const Value& all, const Node& condition)
{
    List kept;
    for (const Value& element : all.items()) {
        step();
        m_tellTargets.push_back(element);
        struct Pop {
            std::vector<Value>& targets;
            ~Pop() { targets.pop_back(); }
        } pop{m_tellTargets};
        if (toBoolean(valueOf(condition)))
            kept.push_back(element);
    }
    return Value::list(std::move(kept));
}

// Selects from the list `all` as the node asks; errors name the container.
Value Interpreter::pick(const Value& all, const Node& n, const Value& container, const QString& cls)
{
    const List& items = all.items();
    const qint64 count = static_cast<qint64>(items.size());
    auto described = [&] {
        return container.kind() == Value::Kind::Object ? container.object()->describe() : displayForm(container);
    };
    auto at = [&](qint64 index) -> Value {
        const qint64 original = index;
        if (index == 0)
            throwRuntime(errInvalidIndex,
                         QStringLiteral("Can’t get %1 0 of %2. Invalid index.").arg(cls, described()));
        if (index < 0)
            index += count + 1;
        if (index < 1 || index > count)
            throwRuntime(errCantGet, QStringLiteral("Can’t get %1 %2 of %3.").arg(cls).arg(original).arg(described()));
        return items.at(static_cast<size_t>(index - 1));
    };
    auto byProperty = [&](const char* property, const Value& wanted) -> Value {
        for (const Value& item : items) {
            if (item.kind() != Value::Kind::Object)
                continue;
            const Reply reply = item.object()->property(QLatin1String(property));
            if (reply.ok() && equals(reply.value(), wanted, m_rules))
                return item;
        }
        throwRuntime(errCantGet,
                     QStringLiteral("Can’t get %1 %2%3 of %4.")
                         .arg(cls, property == QLatin1String("id") ? QStringLiteral("id ") : QString(),
                              displayForm(wanted), described()));
    };
    switch (n.selector) {
    case Selector::All: return all;
    case Selector::Index: {
        const Value index = eval(*n.b);
        if (index.kind() == Value::Kind::Text)
            return byProperty("name", index);
        return at(indexValue(index));
    }
    case Selector::Id: {
        const Value id = eval(*n.b);
        return byProperty("id", id);
    }
    case Selector::Some:
        return at(count == 0 ? 1 : 1 + static_cast<qint64>(QRandomGenerator::global()->bounded(static_cast<quint32>(count))));
    case Selector::First: return at(1);
    case Selector::Last:
    case Selector::End: return at(count == 0 ? 1 : count);
    case Selector::Beginning: return at(1);
    case Selector::Middle: return at(count == 0 ? 1 : (count + 1) / 2);
    case Selector::Range: {
        qint64 from = indexValue(*n.b);
        qint64 to = indexValue(*n.c);
        const qint64 f = from < 0 ? from + count + 1 : from;
        const qint64 t = to < 0 ? to + count + 1 : to;
        const qint64 lo = std::min(f, t);
        const qint64 hi = std::max(f, t);
        if (lo < 1 || hi > count)
            throwRuntime(errCantGet, QStringLiteral("Can’t get %1 %2 thru %3 of %4.")
                                         .arg(cls)
                                         .arg(from)
                                         .arg(to)
                                         .arg(described()));
        return Value::list(List(items.begin() + (lo - 1), items.begin() + hi));
    }
    }
    return all;
}

Value Interpreter::evalApplication(const Node& n)
{
    const Value name = valueOf(*n.a);
    auto app = findApplication(toText(name, m_rules));
    if (!app)
        throwRuntime(errNotRunning, QStringLiteral("Application isn't running."));
    return Value(std::move(app));
}

Value Interpreter::evalCommand(const Node& n)
{
    CommandCall call;
    call.name = n.name;
    if (n.a) {
        call.hasDirect = true;
        call.direct = eval(*n.a);
    }
    for (size_t i = 0; i < n.kids.size(); ++i)
        call.labelled.emplace_back(n.names[i], eval(*n.kids[i]));
    const Value target = tellTarget(n);
    if (target.kind() != Value::Kind::Object)
        throwRuntime(errNotUnderstood,
                     QStringLiteral("%1 doesn’t understand the “%2” message.").arg(displayForm(target), n.name));
    const Reply reply = target.object()->command(call);
    if (!reply.ok()) {
        if (reply.errorNumber() == errNotUnderstood && reply.errorMessage().isEmpty())
            throwRuntime(errNotUnderstood, QStringLiteral("%1 doesn’t understand the “%2” message.")
                                               .arg(target.object()->describe(), n.name));
        replyError(reply, QStringLiteral("Can’t get %1.").arg(n.name));
    }
    return reply.value();
}

}  // namespace platform::applescript

// Expressions of the Interpreter: literals, variables, operators, coercions and
// the language's own commands. References live in InterpreterReferences.cpp.

#include "platform/applescript/Interpreter.h"

#include "platform/applescript/Dictionary.h"
#include "platform/applescript/ScriptError.h"

namespace platform::applescript {


Value Interpreter::eval(const Node& n)
{
    const Node* const parent = std::exchange(m_current, &n);
    Value v = evalCurrent(n);
    m_current = parent;
    return v;
}

Value Interpreter::valueOf(const Node& n)
{
    Value v = eval(n);
    if (v.kind() == Value::Kind::Reference)
        return deref(std::move(v));
    return v;
}

Value Interpreter::evalCurrent(const Node& n)
{
    Depth depth(m_evalDepth, m_limits.maxEvalDepth);
    switch (n.kind) {
    case NodeKind::Literal: return n.value;
    case NodeKind::ListLiteral: {
        List items;
        items.reserve(n.kids.size());
        for (const NodePtr& kid : n.kids) {
            Value v = eval(*kid);
            checkNesting(v, nullptr);
            items.push_back(std::move(v));
        }
        return Value::list(std::move(items));
    }
    case NodeKind::RecordLiteral: {
        Record r;
        for (size_t i = 0; i < n.kids.size(); ++i) {
            Value v = eval(*n.kids[i]);
            checkNesting(v, nullptr);
            r.fields.emplace_back(n.names[i], std::move(v));
        }
        return Value::record(std::move(r));
    }
    case NodeKind::Variable: return read(n.name);
    case NodeKind::MyVariable: {
        if (const auto& self = frame().self) {
            if (const auto it = self->properties.constFind(n.name); it != self->properties.constEnd())
                return *it;
        }
        const auto it = m_globals.constFind(n.name);
        if (it == m_globals.constEnd())
            throwRuntime(errUndefinedVariable, QStringLiteral("The variable %1 is not defined.").arg(n.name));
        return *it;
    }
    case NodeKind::Binary: return evalBinary(n);
    case NodeKind::Negate: {
        Value v = valueOf(*n.a);
        return negate(v);
    }
    case NodeKind::Not: {
        Value v = valueOf(*n.a);
        return Value(!toBoolean(v));
    }
    case NodeKind::Coerce: {
        Value v = valueOf(*n.a);
        return coerce(v, n.type, m_rules);
    }
    case NodeKind::Property: return evalProperty(n);
    case NodeKind::Element: return evalElement(n);
    case NodeKind::Count: {
        Value v = valueOf(*n.a);
        if (v.kind() == Value::Kind::Object)
            v = elementsOf(v, QStringLiteral("item"));
        return Value(countOf(v));
    }
    case NodeKind::Offset: {
        const Value needle = valueOf(*n.a);
        const Value haystack = valueOf(*n.b);
        return Value(offsetOf(toText(needle, m_rules), toText(haystack, m_rules), m_rules));
    }
    case NodeKind::CurrentDate: {
        QDateTime now = QDateTime::currentDateTime();
        now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
        return Value(now);
    }
    case NodeKind::DateFromText: {
        const Value v = valueOf(*n.a);
        return coerce(v, TypeName::Date, m_rules);
    }
    case NodeKind::Application: return evalApplication(n);
    case NodeKind::Call: return evalCall(n);
    case NodeKind::Command: return evalCommand(n);
    case NodeKind::Delimiters: return delimiters();
    case NodeKind::Builtin: return evalBuiltin(n);
    case NodeKind::Clipboard: {
        const auto clipboard = findClipboard();
        const std::optional<QString> text = clipboard ? clipboard->text() : std::nullopt;
        if (!text)
            throwRuntime(errCantGet, QStringLiteral("Can’t get the clipboard."));
        return Value(*text);
    }
    case NodeKind::It: return tellTarget(n);
    case NodeKind::ScriptObject: return instantiate(*n.script);
    case NodeKind::MakeReference: return makeReference(*n.a);
    case NodeKind::Me:
        if (!frame().self)
            throwRuntime(errDefault, QStringLiteral("“me” outside a script object is not supported; write my name to "
                                                    "reach a handler or property of the script."));
        return Value::script(frame().self);
    default: throwRuntime(errDefault, QStringLiteral("Unexpected expression."));
    }
}

Value Interpreter::evalBinary(const Node& n)
{
    if (n.op == BinaryOp::And || n.op == BinaryOp::Or) {
        const bool left = toBoolean(valueOf(*n.a));
        if (left == (n.op == BinaryOp::Or))
            return Value(left);
        const Value right = valueOf(*n.b);
        return Value(toBoolean(right));
    }
    Value a = valueOf(*n.a);
    const Value b = valueOf(*n.b);
    // Searching one list in another may compare every pair: charge for it so a
    // huge search ends at the step bound instead of running for hours.
    if (a.kind() == Value::Kind::List && b.kind() == Value::Kind::List
        && (n.op == BinaryOp::Contains || n.op == BinaryOp::IsIn))
        step(static_cast<qint64>(std::min(1e15, double(a.items().size()) * double(b.items().size()) / 64)));
    switch (n.op) {
    case BinaryOp::Equal: return Value(equals(a, b, m_rules));
    case BinaryOp::NotEqual: return Value(!equals(a, b, m_rules));
    case BinaryOp::Less: return Value(compare(a, b, m_rules) < 0);
    case BinaryOp::Greater: return Value(compare(a, b, m_rules) > 0);
    case BinaryOp::LessEqual: return Value(compare(a, b, m_rules) <= 0);
    case BinaryOp::GreaterEqual: return Value(compare(a, b, m_rules) >= 0);
    case BinaryOp::Contains: return Value(contains(a, b, m_rules));
    case BinaryOp::IsIn: return Value(contains(b, a, m_rules));
    case BinaryOp::BeginsWith: return Value(beginsWith(a, b, m_rules));
    case BinaryOp::EndsWith: return Value(endsWith(a, b, m_rules));
    case BinaryOp::Concat: {
        step(static_cast<qint64>(a.kind() == Value::Kind::List ? a.items().size() / 64 : 0));
        return concat(std::move(a), b, m_rules);
    }
    default: return arithmetic(n.op, a, b);
    }
}

Value Interpreter::evalBuiltin(const Node& n)
{
    const Value direct = valueOf(*n.a);
    if (n.name == u"round")
        return roundNumber(direct, static_cast<int>(n.value.integer()));
    if (n.name == u"ascii character")
        return asciiCharacter(direct);
    if (n.name == u"ascii number")
        return asciiNumber(direct);
    if (direct.kind() == Value::Kind::List)
        checkListLength(direct.items().size());
    return characterId(direct);
}

}  // namespace platform::applescript

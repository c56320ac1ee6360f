#include "platform/applescript/Interpreter.h"

#include "platform/applescript/Dictionary.h"
#include "platform/applescript/ScriptError.h"

#include <cmath>

namespace platform::applescript {

Interpreter::Interpreter(const Program& program, const Limits& limits) : m_program(program), m_limits(limits)
{
    for (const Handler& h : program.handlers)
        m_handlers.insert(h.name, &h);
    for (const auto& p : program.properties)
        m_globalNames.insert(p.first);
    for (const QString& g : program.globals)
        m_globalNames.insert(g);
}

Value Interpreter::run()
{
    m_clock.start();
    m_frames.emplace_back();
    for (const auto& [name, init] : m_program.properties)
        m_globals.insert(name, eval(*init));
    if (execBlock(m_program.run) == Flow::Return)
        return deref(m_returnValue);
    return deref(m_result);
}

const Node* Interpreter::position() const
{
    return m_current;
}

void Interpreter::step(qint64 cost)
{
    m_steps += cost;
    if (m_steps > m_limits.maxSteps)
        throwBound(errTimedOut,
                   QStringLiteral("The script was stopped after %1 steps.").arg(m_limits.maxSteps));
    if (m_steps < m_nextClockCheck)
        return;
    m_nextClockCheck = m_steps + 16;
    if (m_clock.elapsed() > m_limits.maxMilliseconds)
        throwBound(errTimedOut,
                   QStringLiteral("The script was stopped after %1 seconds.").arg(m_limits.maxMilliseconds / 1000.0));
}

Interpreter::Flow Interpreter::execBlock(const Block& block)
{
    for (const NodePtr& statement : block) {
        const Flow flow = execStatement(*statement);
        if (flow != Flow::Normal)
            return flow;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::execStatement(const Node& n)
{
    step();
    const Node* const parent = std::exchange(m_current, &n);
    const Flow flow = runStatement(n);
    m_current = parent;
    return flow;
}

Interpreter::Flow Interpreter::runStatement(const Node& n)
{
    switch (n.kind) {
    case NodeKind::ExprStatement: {
        Value v = eval(*n.a);
        if (!n.flag)
            m_result = std::move(v);
        return Flow::Normal;
    }
    case NodeKind::Set: return execSet(n);
    case NodeKind::Copy: {
        Value v = eval(*n.a).deepCopy();
        if (v.kind() == Value::Kind::Script)
            v = copyScript(v);
        assign(*n.b, v);
        m_result = std::move(v);
        return Flow::Normal;
    }
    case NodeKind::Tell: return execTell(n);
    case NodeKind::If: return execIf(n);
    case NodeKind::RepeatForever:
    case NodeKind::RepeatTimes:
    case NodeKind::RepeatWhile:
    case NodeKind::RepeatUntil: return execRepeat(n);
    case NodeKind::RepeatFromTo: return execFromTo(n);
    case NodeKind::RepeatIn: return execRepeatIn(n);
    case NodeKind::ExitRepeat: return Flow::Exit;
    case NodeKind::Return:
        m_returnValue = n.a ? eval(*n.a) : Value();
        return Flow::Return;
    case NodeKind::Try: return execTry(n);
    case NodeKind::Error: execError(n);
    case NodeKind::Considering: return execConsidering(n);
    case NodeKind::Global:
        for (const QString& name : n.names)
            frame().declaredGlobal.insert(name);
        return Flow::Normal;
    case NodeKind::Local:
        for (const QString& name : n.names)
            frame().declaredLocal.insert(name);
        return Flow::Normal;
    default:
        throwRuntime(errDefault, QStringLiteral("Unexpected statement."));
    }
}

Interpreter::Flow Interpreter::execSet(const Node& n)
{
    if (appendInPlace(n))
        return Flow::Normal;
    Value v = eval(*n.b);
    assign(*n.a, v);
    m_result = std::move(v);
    return Flow::Normal;
}

// `set x to x & a & b ...` where x's text or list is held by x alone: append to
// it instead of building a new value, so loops that grow a text stay linear.
// Only when the appended operands call no handler or command, which could change
// x while they are evaluated.
bool Interpreter::appendInPlace(const Node& n)
{
    if (n.a->kind != NodeKind::Variable || n.b->kind != NodeKind::Binary || n.b->op != BinaryOp::Concat)
        return false;
    std::vector<const Node*> tail;
    const Node* left = n.b.get();
    while (left->kind == NodeKind::Binary && left->op == BinaryOp::Concat) {
        tail.push_back(left->b.get());
        left = left->a.get();
    }
    if (left->kind != NodeKind::Variable || left->name != n.a->name)
        return false;
    for (const Node* operand : tail)
        if (callsOut(*operand))
            return false;
    Value* target = slot(n.a->name, false);
    if (!target || (target->kind() != Value::Kind::Text && target->kind() != Value::Kind::List))
        return false;
    std::vector<Value> values;
    values.reserve(tail.size());
    for (auto it = tail.rbegin(); it != tail.rend(); ++it)
        values.push_back(valueOf(**it));
    target = slot(n.a->name, false);
    if (!target || (target->kind() != Value::Kind::Text && target->kind() != Value::Kind::List))
        throwRuntime(errDefault, QStringLiteral("The variable %1 changed while it was being appended to.").arg(n.a->name));
    m_current = n.b.get();
    m_result = Value();  // the previous result may share the text
    for (Value& right : values) {
        if (target->kind() == Value::Kind::Text) {
            const QString piece = toText(right, m_rules);
            checkTextLength(target->text().size() + piece.size());
            target->mutableText().append(piece);
        } else if (target->listPointer().use_count() == 1 && right.kind() != Value::Kind::Record) {
            List& items = *target->listPointer();
            if (right.kind() == Value::Kind::List) {
                checkListLength(items.size() + right.items().size());
                items.append(right.items());
            } else {
                checkListLength(items.size() + 1);
                items.push_back(std::move(right));
            }
        } else {
            *target = concat(*target, right, m_rules);
        }
    }
    m_result = *target;
    return true;
}

// Whether evaluating the expression may run a handler or send a command.
bool Interpreter::callsOut(const Node& n)
{
    if (n.kind == NodeKind::Call || n.kind == NodeKind::Command || n.kind == NodeKind::ScriptObject
        || n.kind == NodeKind::MakeReference)
        return true;
    for (const Node* kid : {n.a.get(), n.b.get(), n.c.get()})
        if (kid && callsOut(*kid))
            return true;
    for (const NodePtr& kid : n.kids)
        if (callsOut(*kid))
            return true;
    return false;
}

Interpreter::Flow Interpreter::execTell(const Node& n)
{
    Value target = valueOf(*n.a);
    m_tellTargets.push_back(std::move(target));
    struct Pop {
        std::vector<Value>& targets;
        ~Pop() { targets.pop_back(); }
    } pop{m_tellTargets};
    return execBlock(n.blocks[0]);
}

Interpreter::Flow Interpreter::execIf(const Node& n)
{
    for (size_t i = 0; i < n.kids.size(); ++i) {
        if (toBoolean(valueOf(*n.kids[i])))
            return execBlock(n.blocks[i]);
    }
    if (n.blocks.size() > n.kids.size())
        return execBlock(n.blocks.back());
    return Flow::Normal;
}

// Runs one turn of a loop body; *stop is set by `exit repeat`.
Interpreter::Flow Interpreter::execLoopBody(const Node& n, bool* stop)
{
    step();
    const Flow flow = execBlock(n.blocks[0]);
    *stop = flow != Flow::Normal;
    return flow == Flow::Exit ? Flow::Normal : flow;
}

Interpreter::Flow Interpreter::execRepeat(const Node& n)
{
    bool stop = false;
    switch (n.kind) {
    case NodeKind::RepeatTimes: {
        const qint64 times = toInteger(valueOf(*n.a));
        for (qint64 i = 0; i < times; ++i)
            if (const Flow f = execLoopBody(n, &stop); stop)
                return f;
        return Flow::Normal;
    }
    case NodeKind::RepeatWhile:
    case NodeKind::RepeatUntil:
        while (toBoolean(valueOf(*n.a)) == (n.kind == NodeKind::RepeatWhile))
            if (const Flow f = execLoopBody(n, &stop); stop)
                return f;
        return Flow::Normal;
    default:
        for (;;)
            if (const Flow f = execLoopBody(n, &stop); stop)
                return f;
    }
}

Interpreter::Flow Interpreter::execFromTo(const Node& n)
{
    const Value from = valueOf(*n.a);
    const Value to = valueOf(*n.b);
    const Value by = n.c ? valueOf(*n.c) : Value(1);
    bool stop = false;
    const bool integers = toNumber(from) == std::trunc(toNumber(from)) && from.kind() != Value::Kind::Real
        && to.kind() != Value::Kind::Real && by.kind() != Value::Kind::Real;
    if (integers) {
        const qint64 first = toInteger(from);
        const qint64 last = toInteger(to);
        const qint64 increment = toInteger(by);
        if (increment == 0)
            throwRuntime(errDefault, QStringLiteral("The repeat increment can’t be zero."));
        for (qint64 i = first; increment > 0 ? i <= last : i >= last;) {
            write(n.name, Value(i));
            if (const Flow f = execLoopBody(n, &stop); stop)
                return f;
            if (__builtin_add_overflow(i, increment, &i))
                break;
        }
        return Flow::Normal;
    }
    const double first = toNumber(from);
    const double last = toNumber(to);
    const double increment = toNumber(by);
    if (increment == 0)
        throwRuntime(errDefault, QStringLiteral("The repeat increment can’t be zero."));
    for (double x = first; increment > 0 ? x <= last : x >= last; x += increment) {
        write(n.name, Value(x));
        if (const Flow f = execLoopBody(n, &stop); stop)
            return f;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::execRepeatIn(const Node& n)
{
    Value source = valueOf(*n.a);
    if (source.kind() == Value::Kind::Text) {
        QStringList chars = textElements(source.text(), QStringLiteral("character"), m_rules);
        List items;
        for (QString& c : chars)
            items.emplace_back(std::move(c));
        source = Value::list(std::move(items));
    } else if (source.kind() != Value::Kind::List) {
        source = coerce(source, TypeName::List, m_rules);
    }
    const std::shared_ptr<List> items = source.listPointer();
    const size_t count = items->size();
    m_loopItems.push_back({m_frames.size() - 1, &n.name, items, 0});
    struct PopLoop {
        std::vector<LoopItem>& loops;
        size_t size;
        ~PopLoop() { loops.resize(size); }
    } pop{m_loopItems, m_loopItems.size() - 1};
    bool stop = false;
    for (size_t i = 0; i < count && i < items->size(); ++i) {
        m_loopItems.back().index = i;
        write(n.name, items->at(i));
        if (const Flow f = execLoopBody(n, &stop); stop)
            return f;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::execTry(const Node& n)
{
    const size_t tells = m_tellTargets.size();
    const size_t frames = m_frames.size();
    const TextRules rules = m_rules;
    try {
        return execBlock(n.blocks[0]);
    } catch (const ScriptError& e) {
        if (!e.catchable)
            throw;
        m_tellTargets.resize(tells);
        m_frames.resize(frames);
        m_rules.considered = rules.considered;
        if (!n.names[0].isEmpty())
            write(n.names[0], Value(e.message));
        if (!n.names[1].isEmpty())
            write(n.names[1], Value(e.number));
    }
    return execBlock(n.blocks[1]);
}

void Interpreter::execError(const Node& n)
{
    const int number = n.b ? static_cast<int>(std::clamp<qint64>(toInteger(valueOf(*n.b)), INT32_MIN, INT32_MAX))
                           : static_cast<int>(errDefault);
    QString message;
    if (n.a)
        message = toText(valueOf(*n.a), m_rules);
    else if (number == errUserCanceled)
        message = QStringLiteral("User canceled.");
    else
        message = QStringLiteral("An error of type %1 has occurred.").arg(number);
    throwRuntime(number == 0 ? errDefault : number, message);
}

Interpreter::Flow Interpreter::execConsidering(const Node& n)
{
    const unsigned named = static_cast<unsigned>(n.value.integer());
    const unsigned before = m_rules.considered;
    struct Back {
        unsigned& rules;
        unsigned value;
        ~Back() { rules = value; }
    } back{m_rules.considered, before};
    m_rules.considered = n.flag ? before | named : before & ~named;
    return execBlock(n.blocks[0]);
}

}  // namespace platform::applescript

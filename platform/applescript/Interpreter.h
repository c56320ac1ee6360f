#pragma once
// The tree-walking interpreter (private header). Runs one Program once.
//
// Scopes. The top-level statements run in the implicit run handler's frame;
// every handler call gets a frame of its own. A name resolves to the frame's
// local, else, when the frame or the top level declared it `global` or it is a
// `property`, to the script-wide variable; anything else read before it is set
// is error -2753. Handler calls inside a tell block go to the tell target unless
// written `my name(...)`, as the language does (-1708 for an application).
//
// Loops. `repeat with x in L` gives x each item's value, not a reference to the
// item as the language does; every script that reads x sees the same thing, and
// `contents of x` is that value too. `set contents of x to v` inside the loop
// replaces the item. The list is the one L held when the loop began.
//
// Script objects. A handler of a script object runs in a frame whose `self` is
// that object: a name resolves to the frame's local, else to a property of the
// object, else as at the top level; `my n` is the object's property. A call goes
// to the script object named (`s's f()`, `tell s to f()`), else to the running
// handler's object, else to the script's own handlers.
//
// References. Values of kind Reference are read through (deref) wherever an
// operator, a condition or a container needs the value, and kept as they are by
// `set`, lists, records and handler parameters, as the language does.
//
// Sharing. `set` shares lists and records, `copy` duplicates them. `set s to s
// & x` and `set L to L & x` append in place when nothing else holds the old text
// or list, which keeps a 10,000-turn concatenation loop linear.

#include "platform/applescript/Ast.h"
#include "platform/applescript/Engine.h"
#include "platform/applescript/Operations.h"
#include "platform/applescript/ScriptError.h"
#include "platform/applescript/ScriptObjects.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>

#include <utility>
#include <vector>

namespace platform::applescript {

class Interpreter {
public:
    Interpreter(const Program& program, const Limits& limits);
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;
    // The script's result; throws ScriptError.
    [[nodiscard]] Value run();
    // The node that ran last, for the position of an error; may be null.
    [[nodiscard]] const Node* position() const;

private:
    enum class Flow { Normal, Exit, Return };
    struct Frame {
        QHash<QString, Value> locals;
        QSet<QString> declaredGlobal;
        QSet<QString> declaredLocal;
        std::shared_ptr<ScriptObject> self;  // the script object whose handler runs, if any
    };
    // The item `repeat with x in L` is at, for `set contents of x to v`.
    struct LoopItem {
        size_t frame;
        const QString* name;
        std::shared_ptr<List> items;
        size_t index;
    };
    // Counts one level of a recursion for as long as it lives; past the limit,
    // error -2706 as a bound.
    class Depth {
    public:
        Depth(int& counter, int limit) : m_counter(counter)
        {
            if (++m_counter > limit)
                throwBound(errStackOverflow, QStringLiteral("Stack overflow."));
        }
        ~Depth() { --m_counter; }
        Depth(const Depth&) = delete;
        Depth& operator=(const Depth&) = delete;

    private:
        int& m_counter;
    };

    void step(qint64 cost = 1);
    Flow execBlock(const Block& block);
    // The current node (m_current) is set in these three alone: a node is current
    // while it runs and its parent again once it returns, so an error of the
    // parent's own work carries the parent's position; an error leaves the node
    // that raised it current for the report, at no cost on the way.
    Flow execStatement(const Node& n);
    Flow runStatement(const Node& n);
    Flow execSet(const Node& n);
    Flow execTell(const Node& n);
    Flow execIf(const Node& n);
    Flow execRepeat(const Node& n);
    Flow execLoopBody(const Node& n, bool* stop);
    Flow execFromTo(const Node& n);
    Flow execRepeatIn(const Node& n);
    Flow execTry(const Node& n);
    [[noreturn]] void execError(const Node& n);
    Flow execConsidering(const Node& n);

    Value eval(const Node& n);
    // eval, read through a reference.
    Value valueOf(const Node& n);
    Value evalCurrent(const Node& n);
    Value evalBinary(const Node& n);
    Value evalBuiltin(const Node& n);
    Value filter(const Value& all, const Node& condition);
    Value mapProperty(const Value& list, const Node& n, int depth);
    static bool appliesToEach(const Value& list);
    Value evalProperty(const Node& n);
    Value evalElement(const Node& n);
    Value evalCall(const Node& n);
    Value callHandler(const Node& n, const Handler* handler, const Block& body, std::shared_ptr<ScriptObject> self);

    // script objects and references (InterpreterScripts.cpp)
    Value instantiate(const ScriptDef& def);
    Value copyScript(const Value& script);
    void remember(std::shared_ptr<Entity> made);
    Value scriptProperty(const Value& script, const QString& name) const;
    void setScriptProperty(const Value& script, const QString& name, const Value& v);
    Value makeReference(const Node& target);
    Value deref(Value v);
    Value readReference(const Reference& r);
    void writeReference(const Reference& r, const Value& v);
    void setContents(const Node& target, const Value& v);
    Value evalCommand(const Node& n);
    Value evalApplication(const Node& n);
    Value elementsOf(const Value& container, const QString& cls);
    Value pick(const Value& all, const Node& n, const Value& container, const QString& cls);
    qint64 indexValue(const Node& n);
    qint64 indexValue(const Value& v);
    Value tellTarget(const Node& n) const;

    void assign(const Node& target, const Value& v);  // a refused one points at its target
    void assignCurrent(const Node& target, const Value& v);
    void assignElement(const Node& target, const Value& v);
    bool appendInPlace(const Node& n);
    static bool callsOut(const Node& n);
    Value* slot(const QString& name, bool forWrite);
    Value read(const QString& name);
    void write(const QString& name, const Value& v);
    Frame& frame() { return m_frames.back(); }
    void setDelimiters(const Value& v);
    Value delimiters() const;
    [[noreturn]] void replyError(const Reply& reply, const QString& cantGet) const;

    const Program& m_program;
    Limits m_limits;
    TextRules m_rules;
    QHash<QString, Value> m_globals;
    QSet<QString> m_globalNames;
    QHash<QString, const Handler*> m_handlers;
    std::vector<Frame> m_frames;
    std::vector<Value> m_tellTargets;
    Value m_result;
    Value m_returnValue;
    qint64 m_steps = 0;
    qint64 m_nextClockCheck = 0;
    int m_evalDepth = 0;
    int m_callDepth = 0;
    QElapsedTimer m_clock;
    const Node* m_current = nullptr;  // the node running, for error positions
    std::vector<std::weak_ptr<Entity>> m_made;  // script objects and references, severed at the end
    size_t m_madePruneAt = 1024;
    std::vector<LoopItem> m_loopItems;
};

}  // namespace platform::applescript

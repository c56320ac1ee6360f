#pragma once
// The syntax tree (private header). One Node type with a kind and a few generic
// slots keeps the parser and the evaluator small; the comment on each kind says
// which slots it uses. A compiled Program owns its nodes and the applications
// whose terminology it was compiled against.

#include "platform/applescript/Dictionary.h"
#include "platform/applescript/Value.h"

#include <QString>

#include <memory>
#include <vector>

namespace platform::applescript {

enum class BinaryOp {
    Or, And, Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual, Contains, NotContains, IsIn, IsNotIn,
    BeginsWith, EndsWith, Concat, Add, Subtract, Multiply, Divide, Div, Mod, Power,
};

enum class TypeName { Text, Integer, Real, Number, List, Boolean, Date, Record };

// Which elements an Element node selects.
// Which elements an Element node selects; Index also selects by name when its
// value is text (`mailbox "Sent"`).
enum class Selector { All, Index, Range, First, Last, Middle, Some, Id, Beginning, End };

enum class NodeKind {
    // expressions
    Literal,          // value
    ListLiteral,      // kids
    RecordLiteral,    // names, kids
    Variable,         // name
    MyVariable,       // name: a script-level variable or property (`my x`)
    Binary,           // op, a, b
    Negate,           // a
    Not,              // a
    Coerce,           // a, type
    Property,         // name, a = container (null: the tell target), dictionary = a dictionary term
    Element,          // name = class, selector, a = container (null: tell target), b, c = indexes,
                      // kids[0] = `whose` filter, run with each element as the target (may be absent)
    Count,            // a
    Offset,           // a (needle), b (haystack)
    CurrentDate,      //
    DateFromText,     // a
    Application,      // a = name
    Call,             // name, kids = arguments, names = their labels (empty: positional), flag = `my`,
                      // a = the script object it goes to (`s's f()`, `f() of s`; may be null)
    Command,          // name, a = direct (may be null), names = labels, kids = labelled values
    Delimiters,       // AppleScript's text item delimiters
    Builtin,          // name = command ("round", "ascii character", ...), a = direct, value = rounding
    Clipboard,        // the clipboard
    It,               // the current target: the element a `whose` filter is testing, else the tell target
    ScriptObject,     // script: a new instance of that definition
    MakeReference,    // a = the place (`a reference to item 2 of L`)
    Me,               // the script object whose handler runs
    // statements
    ExprStatement,    // a
    Set,              // a = target, b = value
    Copy,             // a = value, b = target
    Tell,             // a = target, blocks[0]
    If,               // kids = conditions, blocks (one more than kids when there is an else)
    RepeatForever,    // blocks[0]
    RepeatTimes,      // a, blocks[0]
    RepeatWhile,      // a, blocks[0]
    RepeatUntil,      // a, blocks[0]
    RepeatFromTo,     // name, a, b, c (by, may be null), blocks[0]
    RepeatIn,         // name, a, blocks[0]
    ExitRepeat,       //
    Return,           // a (may be null)
    Try,              // blocks[0] = body, blocks[1] = handler (may be empty), names = {message var, number var}
    Error,            // a = message (may be null), b = number (may be null)
    Considering,      // flag = considering (else ignoring), value = TextAttribute bits named, blocks[0]
    Global,           // names
    Local,            // names
};

struct Node;
struct ScriptDef;
using NodePtr = std::unique_ptr<Node>;
using Block = std::vector<NodePtr>;

struct Node {
    NodeKind kind;
    int line = 0;
    int column = 0;
    QString name;
    Value value;
    BinaryOp op = BinaryOp::Or;
    TypeName type = TypeName::Text;
    Selector selector = Selector::All;
    bool flag = false;  // Property: dictionary term; Call: `my`; Considering: case
    std::shared_ptr<const ScriptDef> script;  // ScriptObject
    NodePtr a, b, c;
    std::vector<NodePtr> kids;
    std::vector<QString> names;
    std::vector<Block> blocks;
};

// A handler takes positional parameters (`on f(a, b)`) or labelled ones (`on
// findText of needle in haystack given limit:n`). A label is "of" for the direct
// parameter (also written `in`), a preposition ("in", "from", "apart from"), or
// ":name" for `given name:var`; `with name` and `without name` pass true and false.
struct Handler {
    QString name;
    std::vector<QString> parameters;
    std::vector<std::pair<QString, QString>> labelled;  // label, variable
    bool takesLabels = false;
    Block body;
    int line = 0;
};

// A script: the top level of a program, or a `script … end script` definition.
struct ScriptDef {
    QString name;
    std::vector<std::pair<QString, NodePtr>> properties;  // in declaration order; script objects are properties too
    std::vector<QString> globals;                         // declared at the top level
    std::vector<Handler> handlers;
    Block run;  // the top-level statements, or the body of an explicit `on run`

    [[nodiscard]] const Handler* handler(const QString& handlerName) const
    {
        for (const Handler& h : handlers)
            if (h.name == handlerName)
                return &h;
        return nullptr;
    }
};

struct Program : ScriptDef {
    std::vector<std::shared_ptr<Application>> applications;  // keeps terminologies alive
};

}  // namespace platform::applescript

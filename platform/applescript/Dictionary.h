#pragma once
// The seam where an application's dictionary plugs into the script engine.
//
// An application is an Object registered by name in a process-wide registry
// (registerApplication). `tell application "Name"` looks it up when the tell
// block runs; an unknown name is error -600 "Application isn't running.".
//
// Terminology. When the engine compiles a `tell application "Name"` block whose
// application is registered at that moment, it asks the application for its
// Terminology and lets the parser recognise those names inside the block, as the
// language does with a dictionary: class names (singular and plural, possibly
// several words: "to recipient" / "to recipients"), property names ("reply to",
// "date sent") and commands with a direct parameter and labelled parameters
// ("extract name from X"; "save X in PATH as FORMAT", where `in` and `as` are
// the command's labels, not the coercion operator). Names are given in lower
// case with single spaces; source text matches them case-insensitively, word by
// word, longest match first. The engine always passes names back to the
// dictionary in that canonical form.
//
// Objects. An Object is a reference: nothing is computed until the script asks.
// `subject of m` calls m->property("subject"), and only that; `every to
// recipient of m`, `to recipients of m`, `to recipient 2 of m` and `count of to
// recipients of m` call m->elements("to recipient") and index or count the list
// it answers. A property or element read on the tell target without `of`
// (`selection`, `every message`) goes to the application object itself. Commands
// go to the innermost tell target with their direct parameter and labelled
// parameters (CommandCall).
//
// Errors. Every call answers a Reply: a Value, or an error number with an
// optional message. An empty message lets the engine write the language's own
// text for the number ("Can’t get subject of message id 7." for -1728, "… doesn’t
// understand the “save” message." for -1708); any other number is allowed and is
// reported as given, so `try … on error number n` sees it.
//
// The clipboard. `the clipboard` and `set the clipboard to x` reach the desktop's
// clipboard through a ClipboardAccess registered by the program that runs scripts
// (the app, quorvell-script); without one they are error -1728 / -10006.
//
// Threading. The registry is guarded and may be used from any thread; the engine
// calls an application's objects only from the thread running the script.

#include "platform/applescript/Value.h"

#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace platform::applescript {

// The answer of a property read, an element read or a command.
class Reply {
public:
    Reply(Value value) : m_value(std::move(value)) { }  // NOLINT: implicit on purpose
    [[nodiscard]] static Reply error(int number, QString message = {});

    [[nodiscard]] bool ok() const { return m_errorNumber == 0; }
    [[nodiscard]] const Value& value() const { return m_value; }
    [[nodiscard]] int errorNumber() const { return m_errorNumber; }
    [[nodiscard]] const QString& errorMessage() const { return m_errorMessage; }

private:
    Reply() = default;
    Value m_value;
    int m_errorNumber = 0;
    QString m_errorMessage;
};

// A command as the script sent it: `save m in "/tmp" as "PDF"` gives name "save",
// direct m, labelled {{"in", "/tmp"}, {"as", "PDF"}}.
struct CommandCall {
    QString name;
    bool hasDirect = false;
    Value direct;
    std::vector<std::pair<QString, Value>> labelled;

    // The labelled parameter with this label, or nullptr.
    [[nodiscard]] const Value* parameter(const QString& label) const;
};

struct Terminology {
    struct ClassTerm {
        QString singular;  // "to recipient"
        QString plural;    // "to recipients"
    };
    struct CommandTerm {
        QString name;                 // "extract name from", "save"
        bool takesDirect = true;      // a direct parameter follows the name
        std::vector<QString> labels;  // single words ("in", "as"), each followed by a value
    };
    std::vector<ClassTerm> classes;
    std::vector<QString> properties;  // "subject", "reply to", "message id", "selection"
    std::vector<CommandTerm> commands;
};

class Object {
public:
    virtual ~Object() = default;

    // The class name in the dictionary's terminology, e.g. "message".
    [[nodiscard]] virtual QString className() const = 0;
    // How the object reads in an error message: `message id 7 of application "Mail"`.
    [[nodiscard]] virtual QString describe() const { return className(); }

    // The property's value; by default error -1728.
    [[nodiscard]] virtual Reply property(const QString& name) const;
    // The elements of a class as a list Value of objects (`{}` when none); by
    // default error -1728.
    [[nodiscard]] virtual Reply elements(const QString& className) const;
    // A command sent to this object; by default error -1708.
    [[nodiscard]] virtual Reply command(const CommandCall& call);

    // Whether two references denote the same object (`=` in a script). By default,
    // the same C++ object.
    [[nodiscard]] virtual bool sameAs(const Object& other) const { return this == &other; }
};

class Application : public Object {
public:
    [[nodiscard]] QString className() const override { return QStringLiteral("application"); }
    // Asked once per compiled tell block; must stay valid while the application is registered.
    [[nodiscard]] virtual const Terminology& terminology() const = 0;
};

class ClipboardAccess {
public:
    virtual ~ClipboardAccess() = default;
    // The clipboard's text; none when it holds no text.
    [[nodiscard]] virtual std::optional<QString> text() = 0;
    // Replaces the clipboard's content with the text; false when that failed.
    [[nodiscard]] virtual bool setText(const QString& text) = 0;
};

// Registers (or, with null, removes) the clipboard that scripts reach.
void registerClipboard(std::shared_ptr<ClipboardAccess> clipboard);
[[nodiscard]] std::shared_ptr<ClipboardAccess> findClipboard();

// Registers (or replaces) the application known under this name; names compare
// case-insensitively. A null pointer removes it.
void registerApplication(const QString& name, std::shared_ptr<Application> application);
// The registered application, or null.
[[nodiscard]] std::shared_ptr<Application> findApplication(const QString& name);

}  // namespace platform::applescript

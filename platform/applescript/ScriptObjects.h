#pragma once
// Script objects and references (private header).
//
// A script object is an instance of a `script … end script` definition: its own
// properties, and the handlers and run statements of its definition. `set`
// shares an instance, `copy` makes a fresh one with copies of the properties.
//
// A reference (`a reference to item 2 of L`) names a place: an item of a list, a
// field of a record, a property of a script object, or a variable of the script
// (a global, a property, or a variable of the top-level statements). The list,
// record or script object is the one the expression named when the reference
// was made. `contents of r` reads the place, `set contents of r to x` writes it,
// and operators read through a reference on their own.
//
// Both can take part in a cycle (a property that holds its own script object, a
// list that holds a reference to one of its items). The interpreter severs every
// one it made when a run ends, so shared pointers never keep a cycle alive, and
// both hand what they hold to releaseLater(), so a long chain of them is freed
// in a loop rather than by a recursion as deep as the chain.

#include "platform/applescript/Value.h"

#include <QHash>
#include <QString>

#include <vector>

namespace platform::applescript {

struct ScriptDef;

struct ScriptObject final : Entity {
    ScriptObject(QString n, const ScriptDef* d) : Entity(Type::Script), name(std::move(n)), def(d) { }
    ~ScriptObject() override;
    ScriptObject(const ScriptObject&) = delete;
    ScriptObject& operator=(const ScriptObject&) = delete;
    void sever() override;
    // «script Counter», or «script» for one without a name.
    [[nodiscard]] QString describe() const;

    QString name;
    const ScriptDef* def = nullptr;  // null once severed
    QHash<QString, Value> properties;
};

struct Reference final : Entity {
    enum class To { Item, Field, Property, Global, RunVariable };
    Reference(To t, Value c, qint64 i, QString n)
        : Entity(Type::Reference), to(t), container(std::move(c)), index(i), name(std::move(n))
    {
    }
    ~Reference() override;
    Reference(const Reference&) = delete;
    Reference& operator=(const Reference&) = delete;
    void sever() override;
    // `item 2 of {1, 2, 3}`, `name of {name:"x"}`, `n of «script Counter»`, `x`.
    [[nodiscard]] QString describe() const;

    To to;
    Value container;  // the list, record or script object; missing for a variable or once severed
    qint64 index = 0;  // Item: as written, negative from the end
    QString name;      // Field, Property and the variables
};

// Frees the values one after the other, after any release already under way.
void releaseLater(std::vector<Value>&& values);

}  // namespace platform::applescript

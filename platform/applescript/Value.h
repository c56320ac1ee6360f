#pragma once
// A script value, the one data type that flows through the engine and across the
// application-dictionary seam (Dictionary.h).
//
// A Value is one of: missing value, boolean, integer, real, text, date, list,
// record, an application object, a class name (`text`, `message`), a script
// object, or a reference made by `a reference to`. Scalars are held by value; text is a QString
// (implicitly shared, so copying a Value is cheap). Text an application hands over
// as valid UTF-8 (a raw message) may stay UTF-8 (utf8Text()): it is half the size,
// joins and reaches the clipboard without a UTF-16 copy, and turns into a QString
// in place the first time anything asks for text(). Lists and records are held
// through a shared pointer because the language shares them: after
// `set b to a`, changing an item of b changes a; `copy a to b` makes a deep copy
// (deepCopy()). Application objects are references (std::shared_ptr<Object>)
// whose properties are computed only when the script asks for them.
//
// Integers are 64-bit here; the language's own integers are 29-bit, which no
// script we run can tell apart, so arithmetic overflow turns into a real as the
// language does for results beyond its integer range.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace platform::applescript {

class Object;
class Value;
struct Record;
struct ScriptObject;
struct Reference;

// What a class name, a script object and a reference have in common: they share
// one slot of the Value (a variant with few alternatives copies and destroys
// faster), told apart by their type.
struct Entity {
    enum class Type : unsigned char { Class, Script, Reference };  // ORDER: as Value::Kind from Class on
    explicit Entity(Type t) : type(t) { }
    virtual ~Entity() = default;
    Entity(const Entity&) = delete;
    Entity& operator=(const Entity&) = delete;
    // Drops every value held, breaking any cycle through this entity.
    virtual void sever() { }
    const Type type;
};

struct ClassEntity final : Entity {
    explicit ClassEntity(QString n) : Entity(Type::Class), name(std::move(n)) { }
    const QString name;
};

class List;  // List.h

class Value {
public:
    // Order matters: it is the index order of the variant below.
    enum class Kind { Missing, Boolean, Integer, Real, Text, Date, List, Record, Object, Class, Script, Reference };

    Value() = default;  // missing value
    Value(bool b) : m_data(b) { }
    Value(int i) : m_data(static_cast<qint64>(i)) { }
    Value(qint64 i) : m_data(i) { }
    Value(double d) : m_data(d) { }
    Value(QString s) : m_data(std::move(s)) { }
    Value(const char* utf8) : m_data(QString::fromUtf8(utf8)) { }
    Value(QDateTime d) : m_data(std::move(d)) { }
    Value(std::shared_ptr<Object> o);
    template <class T, class = std::enable_if_t<std::is_base_of_v<Object, T>>>
    Value(std::shared_ptr<T> o) : Value(std::shared_ptr<Object>(std::move(o)))
    {
    }

    static Value missing() { return Value(); }
    // The class name as the language writes it: "text", "integer", "message".
    static Value className(QString name);
    static Value script(std::shared_ptr<ScriptObject> s);
    static Value reference(std::shared_ptr<Reference> r);
    // Text held as these bytes, which must be valid UTF-8.
    static Value utf8Text(QByteArray bytes);
    static Value list();  // the empty list
    static Value list(List items);
    static Value record(Record fields);

    [[nodiscard]] Kind kind() const
    {
        const std::size_t index = m_data.index();
        if (index < kEntityIndex)
            return static_cast<Kind>(index);
        if (index == kUtf8Index)
            return Kind::Text;
        return static_cast<Kind>(kEntityIndex + static_cast<std::size_t>((*std::get_if<kEntityIndex>(&m_data))->type));
    }
    [[nodiscard]] bool isMissing() const { return kind() == Kind::Missing; }
    [[nodiscard]] bool isNumber() const { return kind() == Kind::Integer || kind() == Kind::Real; }

    // Accessors: each requires the matching kind (checked by the variant).
    [[nodiscard]] bool boolean() const { return std::get<bool>(m_data); }
    [[nodiscard]] qint64 integer() const { return std::get<qint64>(m_data); }
    [[nodiscard]] double real() const { return std::get<double>(m_data); }
    [[nodiscard]] double number() const;  // integer or real as a double
    [[nodiscard]] const QString& text() const;
    [[nodiscard]] QString& mutableText();
    // The bytes of a text still held as UTF-8, else null.
    [[nodiscard]] const QByteArray* utf8Form() const
    {
        const auto* form = std::get_if<Utf8>(&m_data);
        return form ? &form->bytes : nullptr;
    }
    [[nodiscard]] QByteArray* mutableUtf8Form()
    {
        auto* form = std::get_if<Utf8>(&m_data);
        return form ? &form->bytes : nullptr;
    }
    [[nodiscard]] const QDateTime& date() const { return std::get<QDateTime>(m_data); }
    // The list shared with every Value that refers to it.
    [[nodiscard]] const std::shared_ptr<List>& listPointer() const { return std::get<std::shared_ptr<List>>(m_data); }
    [[nodiscard]] const List& items() const { return *listPointer(); }
    [[nodiscard]] const std::shared_ptr<Record>& recordPointer() const
    {
        return std::get<std::shared_ptr<Record>>(m_data);
    }
    [[nodiscard]] const std::shared_ptr<Object>& object() const { return std::get<std::shared_ptr<Object>>(m_data); }
    [[nodiscard]] const QString& classNameText() const
    {
        return static_cast<const ClassEntity&>(*std::get<kEntityIndex>(m_data)).name;
    }
    [[nodiscard]] std::shared_ptr<ScriptObject> scriptObject() const;
    [[nodiscard]] std::shared_ptr<Reference> referenceTarget() const;

    // A copy that shares nothing mutable with this value (lists and records are
    // duplicated, recursively); objects, script objects and references stay shared
    // (the interpreter duplicates a script object that is copied itself).
    [[nodiscard]] Value deepCopy() const;

private:
    struct Utf8 {
        QByteArray bytes;
    };
    static constexpr std::size_t kEntityIndex = 9;  // Kind::Class, Script and Reference
    static constexpr std::size_t kUtf8Index = 10;

    // Mutable: a UTF-8 text becomes a QString when it is first read as one.
    mutable std::variant<std::monostate, bool, qint64, double, QString, QDateTime, std::shared_ptr<List>,
                         std::shared_ptr<Record>, std::shared_ptr<Object>, std::shared_ptr<Entity>, Utf8>
        m_data;
};

// A record's fields in the order they were written; keys are lower-case
// identifiers, compared as they are stored.
struct Record {
    std::vector<std::pair<QString, Value>> fields;

    [[nodiscard]] const Value* find(const QString& key) const;
    [[nodiscard]] Value* find(const QString& key);
};

}  // namespace platform::applescript

#include "platform/applescript/List.h"  // IWYU pragma: export

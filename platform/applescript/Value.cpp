#include "platform/applescript/Value.h"

#include "platform/applescript/Dictionary.h"
#include "platform/applescript/ScriptObjects.h"

namespace platform::applescript {

Value::Value(std::shared_ptr<Object> o)
{
    if (o)
        m_data = std::move(o);
}

Value Value::utf8Text(QByteArray bytes)
{
    static_assert(std::is_same_v<std::variant_alternative_t<kUtf8Index, decltype(m_data)>, Utf8>);
    Value v;
    v.m_data = Utf8{std::move(bytes)};
    return v;
}

const QString& Value::text() const
{
    if (const QByteArray* bytes = utf8Form()) {
        // (The pointer-and-size overload keeps NUL characters.)
        QString converted = QString::fromUtf8(bytes->constData(), static_cast<int>(bytes->size()));
        m_data = std::move(converted);
    }
    return std::get<QString>(m_data);
}

QString& Value::mutableText()
{
    (void)text();
    return std::get<QString>(m_data);
}

Value Value::className(QString name)
{
    Value v;
    v.m_data = std::shared_ptr<Entity>(std::make_shared<ClassEntity>(std::move(name)));
    return v;
}

Value Value::script(std::shared_ptr<ScriptObject> s)
{
    Value v;
    v.m_data = std::shared_ptr<Entity>(std::move(s));
    return v;
}

Value Value::reference(std::shared_ptr<Reference> r)
{
    Value v;
    v.m_data = std::shared_ptr<Entity>(std::move(r));
    return v;
}

std::shared_ptr<ScriptObject> Value::scriptObject() const
{
    return std::static_pointer_cast<ScriptObject>(std::get<kEntityIndex>(m_data));
}

std::shared_ptr<Reference> Value::referenceTarget() const
{
    return std::static_pointer_cast<Reference>(std::get<kEntityIndex>(m_data));
}

Value Value::list()
{
    return list(List());
}

Value Value::list(List items)
{
    Value v;
    v.m_data = std::make_shared<List>(std::move(items));
    return v;
}

Value Value::record(Record fields)
{
    Value v;
    v.m_data = std::make_shared<Record>(std::move(fields));
    return v;
}

double Value::number() const
{
    return kind() == Kind::Integer ? static_cast<double>(integer()) : real();
}

Value Value::deepCopy() const
{
    switch (kind()) {
    case Kind::List: {
        // Packed text and the objects a source makes share nothing mutable.
        if (items().packed() || items().source())
            return list(items());
        List copy;
        copy.reserve(items().size());
        for (const Value& item : items())
            copy.push_back(item.deepCopy());
        return list(std::move(copy));
    }
    case Kind::Record: {
        Record copy;
        copy.fields.reserve(recordPointer()->fields.size());
        for (const auto& [key, value] : recordPointer()->fields)
            copy.fields.emplace_back(key, value.deepCopy());
        return record(std::move(copy));
    }
    default:
        return *this;
    }
}

const Value* Record::find(const QString& key) const
{
    for (const auto& field : fields)
        if (field.first == key)
            return &field.second;
    return nullptr;
}

Value* Record::find(const QString& key)
{
    for (auto& field : fields)
        if (field.first == key)
            return &field.second;
    return nullptr;
}

}  // namespace platform::applescript

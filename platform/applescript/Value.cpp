#include "platform/applescript/Value.h"

#include "platform/applescript/Dictionary.h"

namespace platform::applescript {

Value::Value(std::shared_ptr<Object> o)
{
    if (o)
        m_data = std::move(o);
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

#include "platform/applescript/List.h"

namespace platform::applescript {
namespace {

// A packed list stays below this many bytes, well inside what a QByteArray and
// the offsets hold; a list that would grow past it holds values instead.
constexpr qsizetype kPackedBytes = qsizetype{1} << 30;
// Longer items stay values: their bytes are usually shared with what made them (a
// message's header block or source), which a copy into the buffer would double,
// and their own size dwarfs what a value costs beside them.
constexpr qsizetype kPackedItem = 1024;

// The items of another source, last to first.
class ReversedItems final : public ItemSource {
public:
    explicit ReversedItems(std::shared_ptr<const ItemSource> items) : m_items(std::move(items)) { }
    [[nodiscard]] std::size_t size() const override { return m_items->size(); }
    [[nodiscard]] Value item(std::size_t index) const override { return m_items->item(size() - 1 - index); }

private:
    std::shared_ptr<const ItemSource> m_items;
};

}  // namespace

List::List(std::initializer_list<Value> items) : m_values(items) { }

List::List(std::vector<Value> items) : m_values(std::move(items)) { }

List::List(const_iterator first, const_iterator last)
{
    reserve(static_cast<std::size_t>(last - first));
    for (; first != last; ++first)
        push_back(*first);
}

List::List(const_reverse_iterator first, const_reverse_iterator last)
{
    reserve(static_cast<std::size_t>(last - first));
    for (; first != last; ++first)
        push_back(*first);
}

List List::madeBy(std::shared_ptr<const ItemSource> source)
{
    List list;
    list.m_form = Form::MadeBy;
    list.m_source = std::move(source);
    return list;
}

std::size_t List::size() const
{
    switch (m_form) {
    case Form::Values: return m_values.size();
    case Form::Packed: return m_packed.ends.size();
    case Form::MadeBy: return m_source->size();
    }
    return 0;
}

Value List::at(std::size_t index) const
{
    switch (m_form) {
    case Form::Values: return m_values.at(index);
    case Form::Packed: {
        const std::uint32_t end = m_packed.ends.at(index);
        const std::uint32_t start = index == 0 ? 0 : m_packed.ends[index - 1];
        return Value::utf8Text(m_packed.bytes.mid(static_cast<int>(start), static_cast<int>(end - start)));
    }
    case Form::MadeBy: return m_source->item(index);
    }
    return {};
}

List List::reversed() const
{
    if (m_form == Form::MadeBy)
        return madeBy(std::make_shared<ReversedItems>(m_source));
    if (m_form == Form::Values)
        return List(std::vector<Value>(m_values.rbegin(), m_values.rend()));
    List list;
    list.m_form = Form::Packed;
    list.m_packed.bytes.reserve(m_packed.bytes.size());
    list.m_packed.ends.reserve(m_packed.ends.size());
    for (std::size_t i = m_packed.ends.size(); i-- > 0;) {
        const std::uint32_t start = i == 0 ? 0 : m_packed.ends[i - 1];
        list.m_packed.bytes.append(m_packed.bytes.constData() + start, static_cast<int>(m_packed.ends[i] - start));
        list.m_packed.ends.push_back(static_cast<std::uint32_t>(list.m_packed.bytes.size()));
    }
    return list;
}

void List::reserve(std::size_t count)
{
    if (m_form == Form::Values)
        m_values.reserve(count);
    else if (m_form == Form::Packed)
        m_packed.ends.reserve(count);
}

bool List::packs(const Value& item) const
{
    const QByteArray* bytes = item.utf8Form();
    if (!bytes || bytes->size() >= kPackedItem || m_packed.bytes.size() + bytes->size() >= kPackedBytes)
        return false;
    return m_form == Form::Packed || (m_form == Form::Values && m_values.empty());
}

void List::push_back(Value item)
{
    if (!packs(item)) {
        values().push_back(std::move(item));
        return;
    }
    m_form = Form::Packed;
    m_packed.bytes += *item.utf8Form();
    m_packed.ends.push_back(static_cast<std::uint32_t>(m_packed.bytes.size()));
}

void List::append(const List& items)
{
    if (m_form == Form::Packed && items.m_form == Form::Packed
        && m_packed.bytes.size() + items.m_packed.bytes.size() < kPackedBytes) {
        const auto base = static_cast<std::uint32_t>(m_packed.bytes.size());
        m_packed.bytes += items.m_packed.bytes;
        m_packed.ends.reserve(m_packed.ends.size() + items.m_packed.ends.size());
        for (const std::uint32_t end : items.m_packed.ends)
            m_packed.ends.push_back(base + end);
        return;
    }
    const List copy = items;  // items may be this list
    reserve(size() + copy.size());
    for (std::size_t i = 0; i < copy.size(); ++i)
        push_back(copy.at(i));
}

void List::set(std::size_t index, Value item)
{
    values().at(index) = std::move(item);
}

void List::insert(std::size_t index, Value item)
{
    if (index == size()) {
        push_back(std::move(item));
        return;
    }
    std::vector<Value>& items = values();
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
}

std::vector<Value>& List::values()
{
    if (m_form == Form::Values)
        return m_values;
    std::vector<Value> items;
    items.reserve(size());
    for (std::size_t i = 0; i < size(); ++i)
        items.push_back(at(i));
    m_values = std::move(items);
    m_packed = {};
    m_source.reset();
    m_form = Form::Values;
    return m_values;
}

}  // namespace platform::applescript

#pragma once
// The items of a script list, held in one of three forms that read alike:
//
// - values: one Value per item, the general form;
// - packed text: items that are all short UTF-8 text, as one buffer of their bytes and
//   the offset where each ends, which is how a loop collecting 10,000 subjects
//   keeps them (`set end of L to subject of m`): one copy of the text and four
//   bytes an item, joined later into the result without another pass per item;
// - made on demand: the items an application lists (the selected messages),
//   each made by an ItemSource when it is read, so a loop over 10,000 messages
//   holds what the source needs to make them and the one it is on.
//
// Reading an item gives a Value by value (made from the packed bytes or by the
// source). Changing a list keeps it packed while text comes in as UTF-8, and turns
// it into values otherwise; a list made on demand turns into values at its first
// change. So the form is never observable to a script.

#include "platform/applescript/Value.h"

#include <QByteArray>

#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <vector>

namespace platform::applescript {

// Makes the items of a list when they are read; shared by the lists that hold it.
class ItemSource {
public:
    virtual ~ItemSource() = default;
    [[nodiscard]] virtual std::size_t size() const = 0;
    [[nodiscard]] virtual Value item(std::size_t index) const = 0;
};

class List {
public:
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = Value;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = Value;

        const_iterator() = default;
        const_iterator(const List* list, std::size_t index) : m_list(list), m_index(index) { }
        Value operator*() const { return m_list->at(m_index); }
        Value operator[](difference_type n) const { return m_list->at(m_index + static_cast<std::size_t>(n)); }
        const_iterator& operator++() { return ++m_index, *this; }
        const_iterator operator++(int) { const_iterator old = *this; ++m_index; return old; }
        const_iterator& operator--() { return --m_index, *this; }
        const_iterator operator--(int) { const_iterator old = *this; --m_index; return old; }
        const_iterator& operator+=(difference_type n) { m_index += static_cast<std::size_t>(n); return *this; }
        const_iterator& operator-=(difference_type n) { m_index -= static_cast<std::size_t>(n); return *this; }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b)
        {
            return static_cast<difference_type>(a.m_index) - static_cast<difference_type>(b.m_index);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.m_index == b.m_index; }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.m_index <=> b.m_index; }

    private:
        const List* m_list = nullptr;
        std::size_t m_index = 0;
    };
    using iterator = const_iterator;
    using const_reverse_iterator = std::reverse_iterator<const_iterator>;
    using value_type = Value;
    using size_type = std::size_t;

    List() = default;
    List(std::initializer_list<Value> items);
    List(std::vector<Value> items);  // NOLINT: a vector of values is a list
    List(const_iterator first, const_iterator last);
    List(const_reverse_iterator first, const_reverse_iterator last);
    // A list whose items the source makes when they are read.
    [[nodiscard]] static List madeBy(std::shared_ptr<const ItemSource> source);

    [[nodiscard]] std::size_t size() const;
    [[nodiscard]] bool empty() const { return size() == 0; }
    [[nodiscard]] Value at(std::size_t index) const;
    [[nodiscard]] Value front() const { return at(0); }
    [[nodiscard]] Value back() const { return at(size() - 1); }

    [[nodiscard]] const_iterator begin() const { return {this, 0}; }
    [[nodiscard]] const_iterator end() const { return {this, size()}; }
    [[nodiscard]] const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
    [[nodiscard]] const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

    void reserve(std::size_t count);
    void push_back(Value item);
    template <class... Args>
    void emplace_back(Args&&... args)
    {
        push_back(Value(std::forward<Args>(args)...));
    }
    void append(const List& items);
    void set(std::size_t index, Value item);
    void insert(std::size_t index, Value item);

    // The items last to first, in the same form: a list made on demand stays so.
    [[nodiscard]] List reversed() const;

    // The packed UTF-8 bytes and where each item ends, when the list is packed text.
    struct Packed {
        QByteArray bytes;
        std::vector<std::uint32_t> ends;
    };
    [[nodiscard]] const Packed* packed() const { return m_form == Form::Packed ? &m_packed : nullptr; }
    // The source of a list made on demand, else null.
    [[nodiscard]] const std::shared_ptr<const ItemSource>& source() const { return m_source; }

private:
    enum class Form : unsigned char { Values, Packed, MadeBy };
    // Turns the list into values, the form every change can be made in.
    std::vector<Value>& values();
    [[nodiscard]] bool packs(const Value& item) const;

    Form m_form = Form::Values;
    std::vector<Value> m_values;
    Packed m_packed;
    std::shared_ptr<const ItemSource> m_source;
};

}  // namespace platform::applescript

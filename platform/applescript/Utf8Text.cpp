// Text kept in UTF-8 as applications hand it over: lists of it joined and text
// appended to it without a round trip through UTF-16, within the text bound.

#include "platform/applescript/LargeText.h"
#include "platform/applescript/OperationsInternal.h"
#include "platform/applescript/ScriptError.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace platform::applescript {
namespace {

// The UTF-16 length of valid UTF-8: a unit per character, two beyond the BMP.
qint64 utf16Length(const char* data, qsizetype size)
{
    qint64 units = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        units += ((byte & 0xC0) != 0x80) + (byte >= 0xF0);
    }
    return units;
}

// The text bound for text growing in UTF-8. Bytes are never fewer than UTF-16
// units, so units are counted only once the bytes pass the bound.
class Utf8Bound {
public:
    void grew(const QByteArray& text, qsizetype added)
    {
        if (text.size() <= kMaxTextLength)
            return;
        m_units = m_units < 0 ? utf16Length(text.constData(), text.size())
                              : m_units + utf16Length(text.constData() + text.size() - added, added);
        checkTextLength(m_units);
    }

private:
    qint64 m_units = -1;
};

// The text form of v in UTF-8, taken as it is when v holds UTF-8 already.
QByteArray utf8TextOf(const Value& v, const TextRules& rules)
{
    const QByteArray* bytes = v.utf8Form();
    return bytes ? *bytes : toUtf8Large(toText(v, rules));
}

// Packed text joined in one pass: each item's bytes and a delimiter copied once.
Value joinPacked(const List::Packed& packed, const QByteArray& delimiter)
{
    if (delimiter.isEmpty() || packed.ends.size() < 2) {
        Utf8Bound().grew(packed.bytes, packed.bytes.size());
        return Value::utf8Text(packed.bytes);
    }
    const qint64 length = packed.bytes.size() + qint64(delimiter.size()) * qint64(packed.ends.size() - 1);
    // Bytes are never fewer than characters: only a long text is counted.
    if (length > kMaxTextLength) {
        checkTextLength(utf16Length(packed.bytes.constData(), packed.bytes.size())
                        + utf16Length(delimiter.constData(), delimiter.size()) * qint64(packed.ends.size() - 1));
    }
    QByteArray out(static_cast<int>(length), Qt::Uninitialized);
    preferHugePages(out.constData(), static_cast<std::size_t>(out.size()));
    char* to = out.data();
    std::uint32_t start = 0;
    for (std::size_t i = 0; i < packed.ends.size(); ++i) {
        if (i > 0) {
            std::memcpy(to, delimiter.constData(), static_cast<std::size_t>(delimiter.size()));
            to += delimiter.size();
        }
        const std::uint32_t end = packed.ends[i];
        std::memcpy(to, packed.bytes.constData() + start, end - start);
        to += end - start;
        start = end;
    }
    return Value::utf8Text(std::move(out));
}

}  // namespace

namespace detail {

bool holdsUtf8(const Value& list)
{
    if (list.items().packed())
        return true;
    return std::any_of(list.items().begin(), list.items().end(), [](const Value& item) { return item.utf8Form(); });
}

// A list joined as toText joins it, in UTF-8: for lists holding UTF-8 text, which
// is then never widened to UTF-16.
Value joinUtf8(const Value& list, const TextRules& rules)
{
    const QByteArray delimiter = rules.delimiters.isEmpty() ? QByteArray() : toUtf8Large(rules.delimiters.first());
    if (const List::Packed* packed = list.items().packed())
        return joinPacked(*packed, delimiter);
    qint64 length = 0;
    for (const Value& item : list.items()) {
        const QByteArray* bytes = item.utf8Form();
        length += (bytes ? bytes->size() : item.kind() == Value::Kind::Text ? item.text().size() : 0)
                  + delimiter.size();
    }
    // The whole length is told when it is too long, before any of it is made.
    if (length > kMaxTextLength) {
        qint64 units = -utf16Length(delimiter.constData(), delimiter.size());  // none after the last
        for (const Value& item : list.items()) {
            const QByteArray* bytes = item.utf8Form();
            units += (bytes ? utf16Length(bytes->constData(), bytes->size())
                            : item.kind() == Value::Kind::Text ? item.text().size() : 0)
                     + utf16Length(delimiter.constData(), delimiter.size());
        }
        checkTextLength(units);
    }
    QByteArray out;
    out.reserve(static_cast<int>(std::min<qint64>(length, kMaxTextLength)));
    preferHugePages(out.constData(), static_cast<std::size_t>(out.capacity()));
    Utf8Bound bound;
    bool first = true;
    for (const Value& item : list.items()) {
        if (item.kind() == Value::Kind::Record || item.kind() == Value::Kind::Object)
            cantMake(list, TypeName::Text);
        const qsizetype before = out.size();
        if (!first)
            out += delimiter;
        first = false;
        out += utf8TextOf(item, rules);
        bound.grew(out, out.size() - before);
    }
    return Value::utf8Text(std::move(out));
}

Value appendText(Value a, const Value& b, const TextRules& rules)
{
    QByteArray* bytes = a.mutableUtf8Form();
    if (!bytes) {
        // Grown in place when a is the only holder of its text, as in a chain
        // a & " <" & b & ">".
        QString joined = std::move(a.mutableText());
        const QString right = toText(b, rules);
        checkTextLength(joined.size() + right.size());
        joined += right;
        return Value(std::move(joined));
    }
    QByteArray joined = std::move(*bytes);
    const qsizetype before = joined.size();
    joined += utf8TextOf(b, rules);
    Utf8Bound().grew(joined, joined.size() - before);
    return Value::utf8Text(std::move(joined));
}

}  // namespace detail

}  // namespace platform::applescript

// Coercions of the language's values and how values read: text, numbers,
// booleans, lists, the display form of error messages, and the size bounds.

#include "platform/applescript/Operations.h"

#include "platform/applescript/Dictionary.h"
#include "platform/applescript/LargeText.h"
#include "platform/applescript/OperationsInternal.h"
#include "platform/applescript/ScriptError.h"
#include "platform/applescript/ScriptObjects.h"

#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace platform::applescript {

using namespace detail;

namespace {

QString escapeText(const QString& s)
{
    QString out;
    out.reserve(s.size() + 2);
    out += u'"';
    for (const QChar c : s) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        out += c;
    }
    out += u'"';
    return out;
}

QString display(const Value& v, int depth)
{
    if (depth > kMaxValueDepth)
        return QStringLiteral("{…}");
    switch (v.kind()) {
    case Value::Kind::Missing: return QStringLiteral("missing value");
    case Value::Kind::Boolean: return v.boolean() ? QStringLiteral("true") : QStringLiteral("false");
    case Value::Kind::Integer: return QString::number(v.integer());
    case Value::Kind::Real: return formatReal(v.real());
    case Value::Kind::Text: return escapeText(v.text().size() > 200 ? v.text().left(200) + QStringLiteral("…") : v.text());
    case Value::Kind::Date: return QStringLiteral("date \"%1\"").arg(dateText(v.date()));
    case Value::Kind::List: {
        QStringList parts;
        for (const Value& item : v.items()) {
            if (parts.size() == 20) {
                parts << QStringLiteral("…");
                break;
            }
            parts << display(item, depth + 1);
        }
        return u'{' + parts.join(QStringLiteral(", ")) + u'}';
    }
    case Value::Kind::Record: {
        QStringList parts;
        for (const auto& [key, value] : v.recordPointer()->fields)
            parts << key + u':' + display(value, depth + 1);
        return u'{' + parts.join(QStringLiteral(", ")) + u'}';
    }
    case Value::Kind::Object: return v.object()->describe();
    case Value::Kind::Class: return v.classNameText();
    case Value::Kind::Script: return v.scriptObject()->describe();
    case Value::Kind::Reference: {
        // Inside a value a reference is written short: it may refer to that very value.
        const Reference& r = *v.referenceTarget();
        if (depth == 0)
            return r.describe();
        if (r.to == Reference::To::Item)
            return QStringLiteral("item %1 of …").arg(r.index);
        return r.to == Reference::To::Field || r.to == Reference::To::Property ? r.name + QStringLiteral(" of …")
                                                                               : r.name;
    }
    }
    return {};
}


std::optional<qint64> constantNumber(const QString& text)
{
    for (int i = 0; i < 12; ++i)
        if (text.compare(QLatin1String(kMonths[i]), Qt::CaseInsensitive) == 0)
            return i + 1;
    for (int i = 0; i < 7; ++i)
        if (text.compare(QLatin1String(kWeekdays[i]), Qt::CaseInsensitive) == 0)
            return i + 1;
    return std::nullopt;
}


void nestingWalk(const Value& v, const void* into, int depth)
{
    if (v.kind() != Value::Kind::List && v.kind() != Value::Kind::Record)
        return;
    const void* self = v.kind() == Value::Kind::List ? static_cast<const void*>(v.listPointer().get())
                                                     : static_cast<const void*>(v.recordPointer().get());
    if (into && self == into)
        throwRuntime(errDefault, QStringLiteral("Can’t put a list or record into itself."));
    if (depth >= kMaxValueDepth)
        throwRuntime(errStackOverflow, QStringLiteral("Lists and records are nested too deeply."));
    if (v.kind() == Value::Kind::List) {
        // Packed text and the objects a source makes hold no list or record.
        if (v.items().packed() || v.items().source())
            return;
        for (const Value& item : v.items())
            nestingWalk(item, into, depth + 1);
    } else {
        for (const auto& field : v.recordPointer()->fields)
            nestingWalk(field.second, into, depth + 1);
    }
}

}  // namespace

namespace detail {

[[noreturn]] void cantMake(const Value& v, TypeName t)
{
    throwRuntime(errCantMake, QStringLiteral("Can’t make %1 into type %2.").arg(displayForm(v), typeName(t)));
}

std::optional<double> parseNumber(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double d = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}


List asList(const Value& v)
{
    if (v.kind() == Value::Kind::List)
        return v.items();
    if (v.kind() == Value::Kind::Record) {
        List out;
        for (const auto& field : v.recordPointer()->fields)
            out.push_back(field.second);
        return out;
    }
    return List{v};
}


}  // namespace detail

QString displayForm(const Value& v)
{
    return display(v, 0);
}

QString readableForm(const Value& v)
{
    QStringList parts;
    switch (v.kind()) {
    case Value::Kind::List:
        for (const Value& item : v.items())
            parts << readableForm(item);
        return parts.join(QStringLiteral(", "));
    case Value::Kind::Record:
        for (const auto& [key, value] : v.recordPointer()->fields)
            parts << key + u':' + readableForm(value);
        return parts.join(QStringLiteral(", "));
    case Value::Kind::Object: return v.object()->describe();
    case Value::Kind::Script:
    case Value::Kind::Reference: return displayForm(v);
    default: return toText(v, TextRules{});
    }
}

std::optional<QString> stringValue(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Text:
    case Value::Kind::Integer:
    case Value::Kind::Real:
    case Value::Kind::Boolean:
    case Value::Kind::Date:
    case Value::Kind::Class:
        return toText(v, TextRules{});
    default:
        return std::nullopt;
    }
}

// Reals read as the language writes them: "1.5", "1500.0", "1.0E+4", "1.0E-5".
QString formatReal(double d)
{
    if (std::isnan(d))
        return QStringLiteral("NaN");
    if (std::isinf(d))
        return d < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
    char buffer[64];
    const double magnitude = std::fabs(d);
    const bool scientific = magnitude != 0 && (magnitude >= 1e4 || magnitude < 1e-4);
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, d,
                                      scientific ? std::chars_format::scientific : std::chars_format::fixed);
    std::string s(buffer, result.ptr);
    if (!scientific) {
        if (s.find('.') == std::string::npos)
            s += ".0";
        return QString::fromStdString(s);
    }
    const size_t e = s.find('e');
    std::string mantissa = s.substr(0, e);
    if (mantissa.find('.') == std::string::npos)
        mantissa += ".0";
    const int exponent = std::stoi(s.substr(e + 1));
    return QString::fromStdString(mantissa) + (exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+"))
        + QString::number(std::abs(exponent));
}

QString typeName(TypeName t)
{
    switch (t) {
    case TypeName::Text: return QStringLiteral("text");
    case TypeName::Integer: return QStringLiteral("integer");
    case TypeName::Real: return QStringLiteral("real");
    case TypeName::Number: return QStringLiteral("number");
    case TypeName::List: return QStringLiteral("list");
    case TypeName::Boolean: return QStringLiteral("boolean");
    case TypeName::Date: return QStringLiteral("date");
    case TypeName::Record: return QStringLiteral("record");
    }
    return {};
}

QString toText(const Value& v, const TextRules& rules)
{
    switch (v.kind()) {
    case Value::Kind::Text: return v.text();
    case Value::Kind::Integer: return QString::number(v.integer());
    case Value::Kind::Real: return formatReal(v.real());
    case Value::Kind::Boolean: return v.boolean() ? QStringLiteral("true") : QStringLiteral("false");
    case Value::Kind::Date: return dateText(v.date());
    case Value::Kind::Missing: return QStringLiteral("missing value");
    case Value::Kind::Class: return v.classNameText();
    case Value::Kind::List: {
        const QString delimiter = rules.delimiters.isEmpty() ? QString() : rules.delimiters.first();
        // Joined texts are measured first, so a large result is allocated once at its
        // size instead of being copied at every growth (up to the length bound).
        qint64 length = 0;
        for (const Value& item : v.items())
            length += (item.kind() == Value::Kind::Text ? item.text().size() : 0) + delimiter.size();
        if (length > 0)
            length -= delimiter.size();  // none after the last
        checkTextLength(length);
        QString out;
        out.reserve(static_cast<int>(length));
        preferHugePages(out.constData(), static_cast<std::size_t>(out.capacity()) * sizeof(QChar));
        bool first = true;
        for (const Value& item : v.items()) {
            if (item.kind() == Value::Kind::Record || item.kind() == Value::Kind::Object)
                cantMake(v, TypeName::Text);
            if (!first)
                out += delimiter;
            first = false;
            out += toText(item, rules);
            checkTextLength(out.size());
        }
        return out;
    }
    default: cantMake(v, TypeName::Text);
    }
}

double toNumber(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Integer:
    case Value::Kind::Real: return v.number();
    case Value::Kind::Text:
        if (const auto d = parseNumber(v.text()))
            return *d;
        break;
    case Value::Kind::List:
        if (v.items().size() == 1)
            return toNumber(v.items().front());
        break;
    default: break;
    }
    cantMake(v, TypeName::Number);
}

qint64 toInteger(const Value& v)
{
    if (v.kind() == Value::Kind::Integer)
        return v.integer();
    if (v.kind() == Value::Kind::Text)
        if (const auto n = constantNumber(v.text()))
            return *n;
    double d = 0;
    try {
        d = toNumber(v);
    } catch (const ScriptError&) {
        cantMake(v, TypeName::Integer);
    }
    const double rounded = std::nearbyint(d);
    if (!(rounded >= -9.2e18 && rounded <= 9.2e18))
        cantMake(v, TypeName::Integer);
    return static_cast<qint64>(rounded);
}

bool toBoolean(const Value& v)
{
    if (v.kind() == Value::Kind::Boolean)
        return v.boolean();
    if (v.kind() == Value::Kind::Text) {
        if (v.text().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (v.text().compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
    }
    if (v.kind() == Value::Kind::List && v.items().size() == 1)
        return toBoolean(v.items().front());
    cantMake(v, TypeName::Boolean);
}

Value coerce(const Value& v, TypeName type, const TextRules& rules)
{
    switch (type) {
    case TypeName::Text:
        if (v.kind() == Value::Kind::Text)
            return v;
        if (v.kind() == Value::Kind::List && holdsUtf8(v))
            return joinUtf8(v, rules);
        return Value(toText(v, rules));
    case TypeName::Integer: return Value(toInteger(v));
    case TypeName::Real: {
        if (v.kind() == Value::Kind::Text && !parseNumber(v.text()))
            cantMake(v, type);
        try {
            return Value(toNumber(v));
        } catch (const ScriptError&) {
            cantMake(v, type);
        }
    }
    case TypeName::Number: {
        if (v.isNumber())
            return v;
        if (v.kind() == Value::Kind::Text) {
            const auto d = parseNumber(v.text());
            if (!d)
                cantMake(v, type);
            if (std::trunc(*d) == *d && std::fabs(*d) < 9e15 && !v.text().contains(u'.')
                && !v.text().contains(u'e', Qt::CaseInsensitive))
                return Value(static_cast<qint64>(*d));
            return Value(*d);
        }
        return Value(toNumber(v));
    }
    case TypeName::List: return Value::list(asList(v));
    case TypeName::Boolean: return Value(toBoolean(v));
    case TypeName::Date:
        if (v.kind() == Value::Kind::Date)
            return v;
        if (v.kind() == Value::Kind::Text)
            return dateFromText(v.text());
        cantMake(v, type);
    case TypeName::Record:
        if (v.kind() == Value::Kind::Record)
            return v;
        cantMake(v, type);
    }
    cantMake(v, type);
}


void checkTextLength(qint64 length)
{
    if (length <= kMaxTextLength)
        return;
    ScriptError error{errOutOfMemory,
                      QStringLiteral("The text would be %1 characters long; a text holds at most %2.")
                          .arg(length)
                          .arg(kMaxTextLength),
                      0, 0, false, false};
    error.textLength = length;
    throw error;
}

void checkListLength(size_t length)
{
    if (length > kMaxListLength)
        throwBound(errOutOfMemory, QStringLiteral("Out of memory."));
}

void checkNesting(const Value& v, const void* into)
{
    nestingWalk(v, into, 1);
}

}  // namespace platform::applescript

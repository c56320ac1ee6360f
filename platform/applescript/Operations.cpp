#include "platform/applescript/Operations.h"

#include "platform/applescript/Dictionary.h"
#include "platform/applescript/ScriptError.h"

#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace platform::applescript {

namespace {

constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
// Qt numbers weekdays from Monday = 1; the language from Sunday = 1.
constexpr const char* kWeekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

Qt::CaseSensitivity sensitivity(const TextRules& rules)
{
    return rules.considerCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

[[noreturn]] void cantMake(const Value& v, TypeName t)
{
    throwRuntime(errCantMake, QStringLiteral("Can’t make %1 into type %2.").arg(displayForm(v), typeName(t)));
}

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
    }
    return {};
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

Value numberValue(double d)
{
    return Value(d);
}

Value integerOrReal(long double exact)
{
    if (exact >= static_cast<long double>(std::numeric_limits<qint64>::min())
        && exact <= static_cast<long double>(std::numeric_limits<qint64>::max()))
        return Value(static_cast<qint64>(exact));
    return Value(static_cast<double>(exact));
}

QString timeFormat()
{
    QString f = QLocale().timeFormat(QLocale::LongFormat);
    f.remove(u't');
    return f.trimmed();
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c.isMark();
}

bool listContains(const List& whole, const List& part, const TextRules& rules)
{
    if (part.empty())
        return true;
    if (part.size() > whole.size())
        return false;
    for (size_t i = 0; i + part.size() <= whole.size(); ++i) {
        bool all = true;
        for (size_t j = 0; j < part.size() && all; ++j)
            all = equals(whole[i + j], part[j], rules);
        if (all)
            return true;
    }
    return false;
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
        for (const Value& item : v.items())
            nestingWalk(item, into, depth + 1);
    } else {
        for (const auto& field : v.recordPointer()->fields)
            nestingWalk(field.second, into, depth + 1);
    }
}

}  // namespace

QString displayForm(const Value& v)
{
    return display(v, 0);
}

std::optional<QString> stringValue(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Text:
    case Value::Kind::Integer:
    case Value::Kind::Real:
    case Value::Kind::Boolean:
    case Value::Kind::Date:
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
    case Value::Kind::List: {
        const QString delimiter = rules.delimiters.isEmpty() ? QString() : rules.delimiters.first();
        // Joined texts are measured first, so a large result is allocated once at its
        // size instead of being copied at every growth (up to the length bound).
        qint64 length = 0;
        for (const Value& item : v.items())
            length += (item.kind() == Value::Kind::Text ? item.text().size() : 0) + delimiter.size();
        QString out;
        out.reserve(static_cast<int>(std::min<qint64>(length, kMaxTextLength)));
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
    case TypeName::Text: return Value(toText(v, rules));
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

bool equals(const Value& a, const Value& b, const TextRules& rules)
{
    if (a.isNumber() && b.isNumber()) {
        if (a.kind() == Value::Kind::Integer && b.kind() == Value::Kind::Integer)
            return a.integer() == b.integer();
        return a.number() == b.number();
    }
    if (a.kind() != b.kind())
        return false;
    switch (a.kind()) {
    case Value::Kind::Missing: return true;
    case Value::Kind::Boolean: return a.boolean() == b.boolean();
    case Value::Kind::Text: return a.text().compare(b.text(), sensitivity(rules)) == 0;
    case Value::Kind::Date: return a.date() == b.date();
    case Value::Kind::List: {
        if (a.items().size() != b.items().size())
            return false;
        for (size_t i = 0; i < a.items().size(); ++i)
            if (!equals(a.items()[i], b.items()[i], rules))
                return false;
        return true;
    }
    case Value::Kind::Record: {
        const Record& ra = *a.recordPointer();
        const Record& rb = *b.recordPointer();
        if (ra.fields.size() != rb.fields.size())
            return false;
        for (const auto& [key, value] : ra.fields) {
            const Value* other = rb.find(key);
            if (!other || !equals(value, *other, rules))
                return false;
        }
        return true;
    }
    case Value::Kind::Object: return a.object()->sameAs(*b.object());
    default: return false;
    }
}

int compare(const Value& a, const Value& b, const TextRules& rules)
{
    switch (a.kind()) {
    case Value::Kind::Integer:
    case Value::Kind::Real: {
        if (a.kind() == Value::Kind::Integer && b.kind() == Value::Kind::Integer)
            return a.integer() < b.integer() ? -1 : a.integer() > b.integer() ? 1 : 0;
        const double x = a.number();
        const double y = toNumber(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    case Value::Kind::Text: {
        const int c = a.text().compare(toText(b, rules), sensitivity(rules));
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    case Value::Kind::Date:
        if (b.kind() == Value::Kind::Date)
            return a.date() < b.date() ? -1 : a.date() > b.date() ? 1 : 0;
        cantMake(b, TypeName::Date);
    default:
        throwRuntime(errCantMake,
                     QStringLiteral("Can’t compare %1 with %2.").arg(displayForm(a), displayForm(b)));
    }
}

Value negate(const Value& v)
{
    if (v.kind() == Value::Kind::Integer && v.integer() != std::numeric_limits<qint64>::min())
        return Value(-v.integer());
    return numberValue(-toNumber(v));
}

Value arithmetic(BinaryOp op, const Value& a, const Value& b)
{
    if (a.kind() == Value::Kind::Date || b.kind() == Value::Kind::Date) {
        if (op == BinaryOp::Subtract && a.kind() == Value::Kind::Date && b.kind() == Value::Kind::Date)
            return Value(b.date().secsTo(a.date()));
        if (op == BinaryOp::Add && a.kind() == Value::Kind::Date && b.kind() != Value::Kind::Date)
            return Value(a.date().addSecs(toInteger(b)));
        if (op == BinaryOp::Add && b.kind() == Value::Kind::Date)
            return Value(b.date().addSecs(toInteger(a)));
        if (op == BinaryOp::Subtract && a.kind() == Value::Kind::Date)
            return Value(a.date().addSecs(-toInteger(b)));
        cantMake(a.kind() == Value::Kind::Date ? a : b, TypeName::Number);
    }
    const Value x = a.isNumber() ? a : coerce(a, TypeName::Number, TextRules{});
    const Value y = b.isNumber() ? b : coerce(b, TypeName::Number, TextRules{});
    const bool integers = x.kind() == Value::Kind::Integer && y.kind() == Value::Kind::Integer;
    qint64 r = 0;
    switch (op) {
    case BinaryOp::Add:
        if (integers && !__builtin_add_overflow(x.integer(), y.integer(), &r))
            return Value(r);
        return numberValue(x.number() + y.number());
    case BinaryOp::Subtract:
        if (integers && !__builtin_sub_overflow(x.integer(), y.integer(), &r))
            return Value(r);
        return numberValue(x.number() - y.number());
    case BinaryOp::Multiply:
        if (integers && !__builtin_mul_overflow(x.integer(), y.integer(), &r))
            return Value(r);
        return numberValue(x.number() * y.number());
    case BinaryOp::Divide:
        if (y.number() == 0)
            throwRuntime(errDivideByZero, QStringLiteral("Can’t divide %1 by zero.").arg(displayForm(a)));
        return numberValue(x.number() / y.number());
    case BinaryOp::Div:
    case BinaryOp::Mod: {
        if (y.number() == 0)
            throwRuntime(errDivideByZero, QStringLiteral("Can’t divide %1 by zero.").arg(displayForm(a)));
        if (integers) {
            if (x.integer() == std::numeric_limits<qint64>::min() && y.integer() == -1)
                return op == BinaryOp::Div ? numberValue(-x.number()) : Value(qint64(0));
            return Value(op == BinaryOp::Div ? x.integer() / y.integer() : x.integer() % y.integer());
        }
        if (op == BinaryOp::Mod)
            return numberValue(std::fmod(x.number(), y.number()));
        return integerOrReal(std::trunc(static_cast<long double>(x.number()) / y.number()));
    }
    case BinaryOp::Power: return numberValue(std::pow(x.number(), y.number()));
    default: break;
    }
    throwRuntime(errDefault, QStringLiteral("Unknown operator."));
}

Value concat(const Value& a, const Value& b, const TextRules& rules)
{
    if (a.kind() == Value::Kind::Text) {
        const QString right = toText(b, rules);
        checkTextLength(a.text().size() + right.size());
        return Value(a.text() + right);
    }
    if (a.kind() == Value::Kind::Record && b.kind() == Value::Kind::Record) {
        Record merged = *a.recordPointer();
        for (const auto& field : b.recordPointer()->fields)
            if (!merged.find(field.first))
                merged.fields.push_back(field);
        return Value::record(std::move(merged));
    }
    List out = a.kind() == Value::Kind::List ? a.items() : asList(a);
    const size_t extra = b.kind() == Value::Kind::List ? b.items().size() : 1;
    checkListLength(out.size() + extra);
    if (b.kind() == Value::Kind::List)
        out.insert(out.end(), b.items().begin(), b.items().end());
    else if (b.kind() == Value::Kind::Record)
        for (const auto& field : b.recordPointer()->fields)
            out.push_back(field.second);
    else
        out.push_back(b);
    return Value::list(std::move(out));
}

bool contains(const Value& container, const Value& part, const TextRules& rules)
{
    switch (container.kind()) {
    case Value::Kind::Text: return container.text().contains(toText(part, rules), sensitivity(rules));
    case Value::Kind::List:
        return part.kind() == Value::Kind::List ? listContains(container.items(), part.items(), rules)
                                                : listContains(container.items(), List{part}, rules);
    case Value::Kind::Record: {
        if (part.kind() != Value::Kind::Record)
            cantMake(part, TypeName::Record);
        for (const auto& [key, value] : part.recordPointer()->fields) {
            const Value* mine = container.recordPointer()->find(key);
            if (!mine || !equals(*mine, value, rules))
                return false;
        }
        return true;
    }
    default:
        return contains(Value(toText(container, rules)), part, rules);
    }
}

bool beginsWith(const Value& whole, const Value& part, const TextRules& rules)
{
    if (whole.kind() == Value::Kind::List) {
        const List p = asList(part);
        if (p.size() > whole.items().size())
            return false;
        for (size_t i = 0; i < p.size(); ++i)
            if (!equals(whole.items()[i], p[i], rules))
                return false;
        return true;
    }
    return toText(whole, rules).startsWith(toText(part, rules), sensitivity(rules));
}

bool endsWith(const Value& whole, const Value& part, const TextRules& rules)
{
    if (whole.kind() == Value::Kind::List) {
        const List p = asList(part);
        const List& w = whole.items();
        if (p.size() > w.size())
            return false;
        for (size_t i = 0; i < p.size(); ++i)
            if (!equals(w[w.size() - p.size() + i], p[i], rules))
                return false;
        return true;
    }
    return toText(whole, rules).endsWith(toText(part, rules), sensitivity(rules));
}

qint64 offsetOf(const QString& needle, const QString& haystack, const TextRules& rules)
{
    if (needle.isEmpty())
        return 0;
    return haystack.indexOf(needle, 0, sensitivity(rules)) + 1;
}

QStringList textElements(const QString& text, const QString& cls, const TextRules& rules)
{
    QStringList out;
    if (cls == u"character" || cls == u"item") {
        checkListLength(static_cast<size_t>(text.size()));
        out.reserve(text.size());
        for (const QChar c : text)
            out << QString(c);
    } else if (cls == u"paragraph") {
        if (text.isEmpty())
            return out;
        int start = 0;
        for (int i = 0; i < text.size(); ++i) {
            if (text[i] == u'\r' || text[i] == u'\n') {
                out << text.mid(start, i - start);
                checkListLength(static_cast<size_t>(out.size()));
                if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                    ++i;
                start = i + 1;
            }
        }
        out << text.mid(start);
    } else if (cls == u"word") {
        int i = 0;
        while (i < text.size()) {
            while (i < text.size() && !isWordChar(text[i]))
                ++i;
            const int start = i;
            while (i < text.size()
                   && (isWordChar(text[i])
                       || ((text[i] == u'\'' || text[i] == u'\u2019') && i > start && i + 1 < text.size()
                           && isWordChar(text[i + 1]))))
                ++i;
            if (i > start) {
                out << text.mid(start, i - start);
                checkListLength(static_cast<size_t>(out.size()));
            }
        }
    } else if (cls == u"text item") {
        QStringList delimiters;
        for (const QString& d : rules.delimiters)
            if (!d.isEmpty())
                delimiters << d;
        if (delimiters.isEmpty())
            return text.isEmpty() ? out : textElements(text, QStringLiteral("character"), rules);
        // The next match of each delimiter, searched again only once passed, so
        // a delimiter that no longer occurs costs one search, not one per item.
        std::vector<int> next(static_cast<size_t>(delimiters.size()), -2);
        int start = 0;
        for (;;) {
            int found = -1;
            int length = 0;
            for (int d = 0; d < delimiters.size(); ++d) {
                int& at = next[static_cast<size_t>(d)];
                if (at != -1 && at < start)
                    at = text.indexOf(delimiters[d], start, sensitivity(rules));
                if (at >= 0 && (found < 0 || at < found || (at == found && delimiters[d].size() > length))) {
                    found = at;
                    length = delimiters[d].size();
                }
            }
            if (found < 0)
                break;
            out << text.mid(start, found - start);
            checkListLength(static_cast<size_t>(out.size()));
            start = found + length;
        }
        out << text.mid(start);
    } else {
        throwRuntime(errCantGet, QStringLiteral("Can’t get every %1 of %2.").arg(cls, displayForm(Value(text))));
    }
    return out;
}

qint64 countOf(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Text: return v.text().size();
    case Value::Kind::List: return static_cast<qint64>(v.items().size());
    case Value::Kind::Record: return static_cast<qint64>(v.recordPointer()->fields.size());
    default:
        throwRuntime(errCantGet, QStringLiteral("Can’t get count of %1.").arg(displayForm(v)));
    }
}

Value builtinProperty(const Value& v, const QString& name)
{
    switch (v.kind()) {
    case Value::Kind::Record:
        if (const Value* field = v.recordPointer()->find(name))
            return *field;
        if (name == u"length")
            return Value(countOf(v));
        break;
    case Value::Kind::Text:
        if (name == u"length")
            return Value(countOf(v));
        break;
    case Value::Kind::List:
        if (name == u"length")
            return Value(countOf(v));
        if (name == u"reverse")
            return Value::list(List(v.items().rbegin(), v.items().rend()));
        if (name == u"rest")
            return Value::list(v.items().empty() ? List{} : List(v.items().begin() + 1, v.items().end()));
        break;
    case Value::Kind::Date: {
        const QDateTime& d = v.date();
        if (name == u"year") return Value(d.date().year());
        if (name == u"month") return Value(QString::fromLatin1(kMonths[d.date().month() - 1]));
        if (name == u"day") return Value(d.date().day());
        if (name == u"weekday") return Value(QString::fromLatin1(kWeekdays[d.date().dayOfWeek() % 7]));
        if (name == u"hours") return Value(d.time().hour());
        if (name == u"minutes") return Value(d.time().minute());
        if (name == u"seconds") return Value(d.time().second());
        if (name == u"time") return Value(d.time().msecsSinceStartOfDay() / 1000);
        if (name == u"date string") return Value(QLocale().toString(d.date(), QLocale::LongFormat));
        if (name == u"short date string") return Value(QLocale().toString(d.date(), QLocale::ShortFormat));
        if (name == u"time string") return Value(QLocale().toString(d.time(), timeFormat()));
        break;
    }
    default:
        break;
    }
    if (name == u"class") {
        static const char* const kClasses[] = {"class", "boolean", "integer", "real", "text",
                                               "date",  "list",    "record",  "reference"};
        return Value(QString::fromLatin1(kClasses[static_cast<int>(v.kind())]));
    }
    throwRuntime(errCantGet, QStringLiteral("Can’t get %1 of %2.").arg(name, displayForm(v)));
}

QString dateText(const QDateTime& d)
{
    const QLocale locale;
    return locale.toString(d.date(), QLocale::LongFormat) + QStringLiteral(" at ")
        + locale.toString(d.time(), timeFormat());
}

Value dateFromText(const QString& text)
{
    const QLocale locale;
    const QString t = text.simplified();
    const QString time = timeFormat();
    const QString longDate = locale.dateFormat(QLocale::LongFormat);
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    for (const QString& format : {longDate + QStringLiteral(" 'at' ") + time, longDate + u' ' + time,
                                  shortDate + u' ' + time, longDate, shortDate}) {
        QDateTime d = locale.toDateTime(t, format);
        if (d.isValid())
            return Value(d);
    }
    for (const Qt::DateFormat format : {Qt::ISODate}) {
        QDateTime d = QDateTime::fromString(t, format);
        if (d.isValid())
            return Value(d);
        const QDate day = QDate::fromString(t, format);
        if (day.isValid())
            return Value(day.startOfDay());
    }
    throwRuntime(errInvalidDate, QStringLiteral("Invalid date and time date %1.").arg(displayForm(Value(text))));
}

void checkTextLength(int length)
{
    if (length > kMaxTextLength)
        throwBound(errOutOfMemory, QStringLiteral("Out of memory."));
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

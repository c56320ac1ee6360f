// Arithmetic, concatenation, text elements, built-in properties and dates.

#include "platform/applescript/Operations.h"

#include "platform/applescript/Dictionary.h"
#include "platform/applescript/OperationsInternal.h"
#include "platform/applescript/ScriptError.h"

#include <QLocale>
#include <QTextCodec>

#include <cmath>
#include <iterator>
#include <limits>

namespace platform::applescript {

using namespace detail;

namespace {

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


bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c.isMark();
}


}  // namespace

namespace detail {

QString timeFormat()
{
    QString f = QLocale().timeFormat(QLocale::LongFormat);
    f.remove(u't');
    return f.trimmed();
}


}  // namespace detail

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

Value concat(Value a, const Value& b, const TextRules& rules)
{
    if (a.kind() == Value::Kind::Text)
        return appendText(std::move(a), b, rules);
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
        out.append(b.items());
    else if (b.kind() == Value::Kind::Record)
        for (const auto& field : b.recordPointer()->fields)
            out.push_back(field.second);
    else
        out.push_back(b);
    return Value::list(std::move(out));
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
    // The contents of a value that is not a reference are the value itself.
    if (name == u"contents" && !(v.kind() == Value::Kind::Record && v.recordPointer()->find(name)))
        return v;
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
        if (name == u"quoted form")
            return Value(u'\'' + QString(v.text()).replace(u'\'', QStringLiteral("'\\''")) + u'\'');
        if (name == u"id") {
            const QVector<uint> points = v.text().toUcs4();
            if (points.size() == 1)
                return Value(static_cast<qint64>(points.front()));
            List items;
            for (const uint point : points)
                items.emplace_back(static_cast<qint64>(point));
            return Value::list(std::move(items));
        }
        break;
    case Value::Kind::List:
        if (name == u"length")
            return Value(countOf(v));
        if (name == u"reverse")
            return Value::list(v.items().reversed());
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
        // ORDER: Value::Kind.
        static const char* const kClasses[] = {"class", "boolean", "integer", "real",   "text",   "date",
                                               "list",  "record",  "reference", "class", "script", "reference"};
        static_assert(std::size(kClasses) == static_cast<size_t>(Value::Kind::Reference) + 1);
        return Value::className(QString::fromLatin1(kClasses[static_cast<int>(v.kind())]));
    }
    throwRuntime(errCantGet, QStringLiteral("Can’t get %1 of %2.").arg(name, displayForm(v)));
}

Value roundNumber(const Value& v, int mode)
{
    const double x = toNumber(v);
    if (v.kind() == Value::Kind::Integer)
        return v;
    double r = 0;
    switch (mode) {
    case 1: r = std::ceil(x); break;
    case 2: r = std::floor(x); break;
    case 3: r = std::trunc(x); break;
    case 5: r = std::round(x); break;
    default: r = x - std::floor(x) == 0.5 ? 2 * std::round(x / 2) : std::round(x); break;
    }
    return integerOrReal(static_cast<long double>(r));
}

Value asciiCharacter(const Value& v)
{
    const qint64 code = toInteger(v);
    if (code < 0 || code > 255)
        throwRuntime(errCantMake, QStringLiteral("Can’t make %1 into type character.").arg(displayForm(v)));
    if (code < 128)
        return Value(QString(QChar(static_cast<ushort>(code))));
    const char byte = static_cast<char>(code);
    QTextCodec* roman = QTextCodec::codecForName("Apple Roman");
    return Value(roman ? roman->toUnicode(&byte, 1) : QString(QChar(static_cast<ushort>(code))));
}

Value asciiNumber(const Value& v)
{
    const QString text = toText(v, TextRules{});
    if (text.isEmpty())
        throwRuntime(errCantMake, QStringLiteral("Can’t make \"\" into type character."));
    const QChar c = text.front();
    if (c.unicode() < 128)
        return Value(static_cast<qint64>(c.unicode()));
    QTextCodec* roman = QTextCodec::codecForName("Apple Roman");
    QTextCodec::ConverterState state(QTextCodec::ConvertInvalidToNull);
    const QByteArray bytes = roman ? roman->fromUnicode(&c, 1, &state) : QByteArray();
    if (bytes.size() != 1 || state.invalidChars > 0)
        throwRuntime(errCantMake, QStringLiteral("Can’t make %1 into type ASCII character.").arg(displayForm(Value(QString(c)))));
    return Value(static_cast<qint64>(static_cast<unsigned char>(bytes.front())));
}

Value characterId(const Value& v)
{
    const List codes = v.kind() == Value::Kind::List ? v.items() : List{v};
    checkTextLength(static_cast<int>(std::min<size_t>(codes.size(), INT32_MAX)));
    QString out;
    for (const Value& item : codes) {
        const qint64 code = toInteger(item);
        if (code < 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            throwRuntime(errCantMake, QStringLiteral("Can’t make %1 into type character.").arg(displayForm(item)));
        const char32_t point = static_cast<char32_t>(code);
        out += QString::fromUcs4(&point, 1);
    }
    return Value(out);
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

}  // namespace platform::applescript

#include "tools/quorvell-defaults/ArgumentValue.h"

#include <QDateTime>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <cmath>

namespace quorvell::defaults {
namespace {

enum class Kind { Bool, Int, Float, String, Date, Data, Array, Dict };

struct TypeOption {
    const char* flag;
    Kind kind;
};

constexpr TypeOption kTypeOptions[] = {
    {"-bool", Kind::Bool},   {"-boolean", Kind::Bool}, {"-int", Kind::Int},     {"-integer", Kind::Int},
    {"-float", Kind::Float}, {"-string", Kind::String}, {"-date", Kind::Date}, {"-data", Kind::Data},
    {"-array", Kind::Array}, {"-dict", Kind::Dict},
};

ArgumentValue failure(const QString& message)
{
    return {QVariant(), message};
}

ArgumentValue parseBool(const QString& text)
{
    const QString word = text.toLower();
    if (word == u"true" || word == u"yes" || word == u"1")
        return {QVariant(true), {}};
    if (word == u"false" || word == u"no" || word == u"0")
        return {QVariant(false), {}};
    return failure(QStringLiteral("\"%1\" is not a boolean (use true, false, yes, no, 1 or 0)").arg(text));
}

ArgumentValue parseInt(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    qlonglong value = 0;
    const char* end = bytes.constData() + bytes.size();
    const auto [stop, error] = std::from_chars(bytes.constData(), end, value, 10);
    if (bytes.isEmpty() || error == std::errc::result_out_of_range)
        return failure(QStringLiteral("\"%1\" is not an integer between %2 and %3")
                           .arg(text)
                           .arg(std::numeric_limits<qlonglong>::min())
                           .arg(std::numeric_limits<qlonglong>::max()));
    if (error != std::errc() || stop != end)
        return failure(QStringLiteral("\"%1\" is not an integer").arg(text));
    return {QVariant(value), {}};
}

ArgumentValue parseFloat(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    double value = 0;
    const char* end = bytes.constData() + bytes.size();
    const auto [stop, error] = std::from_chars(bytes.constData(), end, value);
    if (bytes.isEmpty() || error != std::errc() || stop != end)
        return failure(QStringLiteral("\"%1\" is not a number").arg(text));
    return {QVariant(value), {}};
}

ArgumentValue parseDate(const QString& text)
{
    // ISO 8601 with a zone; a date without one would depend on where it is typed.
    const QDateTime date = QDateTime::fromString(text, Qt::ISODateWithMs);
    const bool zoned = text.endsWith(u'Z') || text.lastIndexOf(u'+') > 9 || text.lastIndexOf(u'-') > 9;
    if (!date.isValid() || !zoned)
        return failure(
            QStringLiteral("\"%1\" is not a date like 2026-12-06T07:10:23Z or 2026-12-06T08:10:23+01:00").arg(text));
    return {QVariant(date.toUTC()), {}};
}

ArgumentValue parseData(const QString& text)
{
    const QByteArray hex = text.toLatin1();
    const bool digits = std::all_of(hex.cbegin(), hex.cend(), [](char c) { return std::isxdigit(uchar(c)); });
    if (!digits || hex.size() % 2 != 0 || text.size() != hex.size())
        return failure(QStringLiteral("\"%1\" is not data in hexadecimal digits").arg(text));
    return {QVariant(QByteArray::fromHex(hex)), {}};
}

}  // namespace

ArgumentValue parseWriteArguments(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return failure(QStringLiteral("no value given"));
    const QString& first = arguments.first();
    const TypeOption* option = nullptr;
    for (const TypeOption& candidate : kTypeOptions) {
        if (first == QLatin1String(candidate.flag))
            option = &candidate;
    }
    if (!option) {
        if (first.startsWith(u'-') && first.size() > 1 && !first.at(1).isDigit())
            return failure(QStringLiteral("unknown type option \"%1\"").arg(first));
        if (arguments.size() != 1)
            return failure(QStringLiteral("more than one value given"));
        return {QVariant(first), {}};
    }
    const QStringList rest = arguments.mid(1);
    if (option->kind == Kind::Array)
        return {QVariant(rest), {}};
    if (option->kind == Kind::Dict) {
        if (rest.size() % 2 != 0)
            return failure(QStringLiteral("-dict takes pairs of key and value"));
        QVariantMap map;
        for (int i = 0; i < rest.size(); i += 2)
            map.insert(rest.at(i), rest.at(i + 1));
        return {QVariant(map), {}};
    }
    if (rest.size() != 1)
        return failure(QStringLiteral("%1 takes exactly one value").arg(first));
    const QString& text = rest.first();
    switch (option->kind) {
    case Kind::Bool: return parseBool(text);
    case Kind::Int: return parseInt(text);
    case Kind::Float: return parseFloat(text);
    case Kind::Date: return parseDate(text);
    case Kind::Data: return parseData(text);
    default: return {QVariant(text), {}};
    }
}

}  // namespace quorvell::defaults

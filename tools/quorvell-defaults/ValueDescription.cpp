#include "tools/quorvell-defaults/ValueDescription.h"

#include <QDateTime>
#include <QLocale>

namespace quorvell::defaults {
namespace {

constexpr int kIndent = 4;

bool isBareWord(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        const bool plain = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_'
            || u == '.' || u == '$' || u == '/' || u == ':' || u == '-';
        if (!plain)
            return false;
    }
    return true;
}

QString quoted(const QString& text)
{
    if (isBareWord(text))
        return text;
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"': out += QStringLiteral("\\\""); break;
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        default: out += c;
        }
    }
    return out + QLatin1Char('"');
}

QString describe(const QVariant& value, int depth, bool nested)
{
    const QString inner(kIndent * (depth + 1), QLatin1Char(' '));
    const QString outer(kIndent * depth, QLatin1Char(' '));
    switch (value.userType()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::LongLong:
        return QString::number(value.toLongLong());
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QString:
        return nested ? quoted(value.toString()) : value.toString();
    case QMetaType::QDateTime:
        return value.toDateTime().toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss +0000"));
    case QMetaType::QByteArray:
        return QLatin1Char('<') + QString::fromLatin1(value.toByteArray().toHex()) + QLatin1Char('>');
    case QMetaType::QVariantList: {
        QStringList items;
        for (const QVariant& item : value.toList())
            items << inner + describe(item, depth + 1, true);
        return items.isEmpty() ? QStringLiteral("(\n") + outer + QLatin1Char(')')
                               : QStringLiteral("(\n") + items.join(QStringLiteral(",\n")) + QLatin1Char('\n')
                + outer + QLatin1Char(')');
    }
    case QMetaType::QVariantMap: {
        QString out = QStringLiteral("{\n");
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            out += inner + quoted(it.key()) + QStringLiteral(" = ") + describe(it.value(), depth + 1, true)
                + QStringLiteral(";\n");
        return out + outer + QLatin1Char('}');
    }
    default:
        return QString();
    }
}

}  // namespace

QString describeValue(const QVariant& value)
{
    return describe(value, 0, false);
}

QString typeName(const QVariant& value)
{
    switch (value.userType()) {
    case QMetaType::Bool: return QStringLiteral("boolean");
    case QMetaType::LongLong: return QStringLiteral("integer");
    case QMetaType::Double: return QStringLiteral("float");
    case QMetaType::QString: return QStringLiteral("string");
    case QMetaType::QDateTime: return QStringLiteral("date");
    case QMetaType::QByteArray: return QStringLiteral("data");
    case QMetaType::QVariantList: return QStringLiteral("array");
    case QMetaType::QVariantMap: return QStringLiteral("dictionary");
    default: return QStringLiteral("unknown");
    }
}

}  // namespace quorvell::defaults

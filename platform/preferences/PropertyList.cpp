#include "platform/preferences/PropertyList.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace platform::preferences {
namespace {

// Deeper nesting than this is refused rather than risking the stack on a hostile file.
constexpr int kMaxDepth = 256;

bool isXmlText(const QString& text)
{
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 >= n || !text.at(i + 1).isLowSurrogate())
                return false;
            ++i;
        } else if (c.isLowSurrogate()) {
            return false;
        } else {
            const ushort u = c.unicode();
            if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || u == 0xFFFE || u == 0xFFFF)
                return false;
        }
    }
    return true;
}

std::optional<qlonglong> parseInteger(const QString& raw)
{
    const QString text = raw.trimmed();
    int i = (text.startsWith(u'-') || text.startsWith(u'+')) ? 1 : 0;
    if (i >= text.size())
        return std::nullopt;
    for (; i < text.size(); ++i) {
        if (!text.at(i).isDigit() || text.at(i).unicode() > '9')
            return std::nullopt;
    }
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok, 10);
    return ok ? std::optional(value) : std::nullopt;
}

std::optional<double> parseReal(const QString& raw)
{
    const QString text = raw.trimmed().toLower();
    if (text == u"nan")
        return std::numeric_limits<double>::quiet_NaN();
    if (text == u"+infinity" || text == u"infinity" || text == u"+inf" || text == u"inf")
        return std::numeric_limits<double>::infinity();
    if (text == u"-infinity" || text == u"-inf")
        return -std::numeric_limits<double>::infinity();
    if (text.isEmpty())
        return std::nullopt;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (!((u >= '0' && u <= '9') || u == '.' || u == 'e' || u == '+' || u == '-'))
            return std::nullopt;
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

std::optional<QDateTime> parseDate(const QString& raw)
{
    static const QRegularExpression form(
        QStringLiteral(R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}(\.\d{1,3})?Z$)"));
    const QString text = raw.trimmed();
    if (!form.match(text).hasMatch())
        return std::nullopt;
    QDateTime date = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!date.isValid())
        return std::nullopt;
    return date.toUTC();
}

std::optional<QByteArray> parseData(const QString& raw)
{
    QByteArray compact;
    compact.reserve(raw.size());
    for (const QChar c : raw) {
        const ushort u = c.unicode();
        if (u == ' ' || u == '\t' || u == '\n' || u == '\r')
            continue;
        if (u > 0x7F)
            return std::nullopt;
        compact.append(char(u));
    }
    auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    if (decoded.decodingStatus != QByteArray::Base64DecodingStatus::Ok)
        return std::nullopt;
    return decoded.decoded;
}

// A recursive-descent reader over QXmlStreamReader's tokens. Every function that
// returns a value returns none after recording the first error.
class Reader {
public:
    explicit Reader(const QByteArray& xml) : m_xml(xml) {}

    PropertyListResult run()
    {
        PropertyListResult result;
        std::optional<QVariant> top;
        // document: plist-element, nothing but comments and blanks around it
        if (nextStart() && expectName(u"plist")) {
            if (nextStart()) {
                if (m_xml.name() != u"dict")
                    fail(QStringLiteral("a preference file must hold one dictionary, found <%1>")
                             .arg(m_xml.name()));
                else
                    top = value(0);
            }
            if (top && nextToken() != QXmlStreamReader::EndElement)
                fail(QStringLiteral("<plist> holds more than one value"));
            if (top && nextToken() != QXmlStreamReader::EndDocument)
                fail(QStringLiteral("content after </plist>"));
        }
        if (m_xml.hasError() || !top)
            fail(QStringLiteral("no dictionary"));
        if (!m_error.isEmpty()) {
            result.error = m_error;
            result.line = m_errorLine;
            result.column = m_errorColumn;
            return result;
        }
        result.dictionary = top->toMap();
        return result;
    }

private:
    void fail(const QString& message)
    {
        if (!m_error.isEmpty())
            return;
        m_error = m_xml.hasError() ? m_xml.errorString() : message;
        m_errorLine = m_xml.lineNumber();
        m_errorColumn = m_xml.columnNumber();
    }

    // The next token that carries structure: start or end of an element, the end
    // of the document, or Invalid. Text other than blanks is an error here.
    QXmlStreamReader::TokenType nextToken()
    {
        while (!m_xml.atEnd()) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::StartElement:
            case QXmlStreamReader::EndElement:
            case QXmlStreamReader::EndDocument:
                return m_xml.tokenType();
            case QXmlStreamReader::Characters:
                if (!m_xml.isWhitespace()) {
                    fail(QStringLiteral("unexpected text \"%1\"").arg(m_xml.text().left(40)));
                    return QXmlStreamReader::Invalid;
                }
                break;
            case QXmlStreamReader::EntityReference:
                fail(QStringLiteral("unresolved entity &%1;").arg(m_xml.name()));
                return QXmlStreamReader::Invalid;
            case QXmlStreamReader::Invalid:
                fail(m_xml.errorString());
                return QXmlStreamReader::Invalid;
            default:  // declaration, DTD, comment, processing instruction
                break;
            }
        }
        if (m_xml.tokenType() == QXmlStreamReader::EndDocument)
            return QXmlStreamReader::EndDocument;
        fail(QStringLiteral("the document ends early"));
        return QXmlStreamReader::Invalid;
    }

    bool nextStart()
    {
        const auto token = nextToken();
        if (token == QXmlStreamReader::StartElement)
            return true;
        if (token != QXmlStreamReader::Invalid)
            fail(QStringLiteral("a value is missing"));
        return false;
    }

    bool expectName(QStringView name)
    {
        if (m_xml.name() == name)
            return true;
        fail(QStringLiteral("expected <%1> but found <%2>").arg(name).arg(m_xml.name()));
        return false;
    }

    // The text of a leaf element; child elements are an error.
    std::optional<QString> leafText()
    {
        QString text = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (m_xml.hasError()) {
            fail(m_xml.errorString());
            return std::nullopt;
        }
        return text;
    }

    template <typename T>
    std::optional<QVariant> leaf(std::optional<T> (*parse)(const QString&), const char* what)
    {
        const auto text = leafText();
        if (!text)
            return std::nullopt;
        if (auto parsed = parse(*text))
            return QVariant::fromValue(*parsed);
        fail(QStringLiteral("malformed %1 \"%2\"").arg(QLatin1String(what)).arg(text->left(40)));
        return std::nullopt;
    }

    // value: dict | array | string | integer | real | true | false | date | data
    std::optional<QVariant> value(int depth)
    {
        if (depth > kMaxDepth) {
            fail(QStringLiteral("nesting deeper than %1").arg(kMaxDepth));
            return std::nullopt;
        }
        const QStringView name = m_xml.name();
        if (name == u"dict")
            return dictionary(depth);
        if (name == u"array")
            return array(depth);
        if (name == u"string") {
            auto text = leafText();
            return text ? std::optional(QVariant(*text)) : std::nullopt;
        }
        if (name == u"integer")
            return leaf<qlonglong>(parseInteger, "integer");
        if (name == u"real")
            return leaf<double>(parseReal, "real");
        if (name == u"date")
            return leaf<QDateTime>(parseDate, "date");
        if (name == u"data")
            return leaf<QByteArray>(parseData, "data");
        if (name == u"true" || name == u"false") {
            const bool truth = name == u"true";
            const auto text = leafText();
            if (!text)
                return std::nullopt;
            if (!text->trimmed().isEmpty()) {
                fail(QStringLiteral("<%1/> must be empty").arg(truth ? u"true" : u"false"));
                return std::nullopt;
            }
            return QVariant(truth);
        }
        fail(QStringLiteral("unknown element <%1>").arg(name));
        return std::nullopt;
    }

    // dict: (key value)*
    std::optional<QVariant> dictionary(int depth)
    {
        QVariantMap map;
        for (;;) {
            const auto token = nextToken();
            if (token == QXmlStreamReader::EndElement)
                return map;
            if (token != QXmlStreamReader::StartElement) {
                fail(QStringLiteral("unterminated <dict>"));
                return std::nullopt;
            }
            if (!expectName(u"key"))
                return std::nullopt;
            const auto key = leafText();
            if (!key)
                return std::nullopt;
            const auto valueToken = nextToken();
            if (valueToken != QXmlStreamReader::StartElement) {
                fail(QStringLiteral("key \"%1\" has no value").arg(key->left(40)));
                return std::nullopt;
            }
            if (m_xml.name() == u"key") {
                fail(QStringLiteral("key \"%1\" has no value").arg(key->left(40)));
                return std::nullopt;
            }
            if (map.contains(*key)) {
                fail(QStringLiteral("duplicate key \"%1\"").arg(key->left(40)));
                return std::nullopt;
            }
            auto item = value(depth + 1);
            if (!item)
                return std::nullopt;
            map.insert(*key, *item);
        }
    }

    // array: value*
    std::optional<QVariant> array(int depth)
    {
        QVariantList list;
        for (;;) {
            const auto token = nextToken();
            if (token == QXmlStreamReader::EndElement)
                return list;
            if (token != QXmlStreamReader::StartElement) {
                fail(QStringLiteral("unterminated <array>"));
                return std::nullopt;
            }
            auto item = value(depth + 1);
            if (!item)
                return std::nullopt;
            list.append(*item);
        }
    }

    QXmlStreamReader m_xml;
    QString m_error;
    qint64 m_errorLine = 0;
    qint64 m_errorColumn = 0;
};

void appendEscaped(QByteArray& out, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        // A raw carriage return would come back as a line feed (XML end-of-line rule).
        case '\r': out += "&#13;"; break;
        default: out += c;
        }
    }
}

QByteArray realText(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "+infinity" : "-infinity";
    // The shortest text that reads back as the same double (and keeps -0's sign).
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, int(result.ptr - buffer));
}

QByteArray dateText(const QDateTime& date)
{
    const QDateTime utc = date.toUTC();
    const QString format = utc.time().msec() ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")
                                             : QStringLiteral("yyyy-MM-ddTHH:mm:ssZ");
    return utc.toString(format).toLatin1();
}

void writeValue(QByteArray& out, const QVariant& value, int depth)
{
    const QByteArray indent(depth, '\t');
    out += indent;
    switch (value.userType()) {
    case QMetaType::Bool:
        out += value.toBool() ? "<true/>" : "<false/>";
        break;
    case QMetaType::LongLong:
        out += "<integer>" + QByteArray::number(value.toLongLong()) + "</integer>";
        break;
    case QMetaType::Double:
        out += "<real>" + realText(value.toDouble()) + "</real>";
        break;
    case QMetaType::QString:
        out += "<string>";
        appendEscaped(out, value.toString());
        out += "</string>";
        break;
    case QMetaType::QDateTime:
        out += "<date>" + dateText(value.toDateTime()) + "</date>";
        break;
    case QMetaType::QByteArray:
        out += "<data>" + value.toByteArray().toBase64() + "</data>";
        break;
    case QMetaType::QVariantList: {
        const QVariantList list = value.toList();
        if (list.isEmpty()) {
            out += "<array/>";
            break;
        }
        out += "<array>\n";
        for (const QVariant& item : list) {
            writeValue(out, item, depth + 1);
            out += '\n';
        }
        out += indent + "</array>";
        break;
    }
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        if (map.isEmpty()) {
            out += "<dict/>";
            break;
        }
        out += "<dict>\n";
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            out += QByteArray(depth + 1, '\t') + "<key>";
            appendEscaped(out, it.key());
            out += "</key>\n";
            writeValue(out, it.value(), depth + 1);
            out += '\n';
        }
        out += indent + "</dict>";
        break;
    }
    default:
        // Unreachable for normalised values; an empty string keeps the file well formed.
        out += "<string></string>";
    }
}

}  // namespace

PropertyListResult parsePropertyList(const QByteArray& xml)
{
    return Reader(xml).run();
}

QByteArray serializePropertyList(const QVariantMap& dictionary)
{
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
    writeValue(out, dictionary, 0);
    out += "\n</plist>\n";
    return out;
}

std::optional<QVariant> normalizedValue(const QVariant& value)
{
    switch (value.userType()) {
    case QMetaType::Bool:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::QByteArray:
        return value;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return QVariant(value.toLongLong());
    case QMetaType::ULongLong:
    case QMetaType::ULong: {
        const qulonglong u = value.toULongLong();
        if (u > qulonglong(std::numeric_limits<qlonglong>::max()))
            return std::nullopt;
        return QVariant(qlonglong(u));
    }
    case QMetaType::Float:
        return QVariant(double(value.toFloat()));
    case QMetaType::QString:
        return isXmlText(value.toString()) ? std::optional(value) : std::nullopt;
    case QMetaType::QDateTime: {
        const QDateTime utc = value.toDateTime().toUTC();
        if (!utc.isValid() || utc.date().year() < 1 || utc.date().year() > 9999)
            return std::nullopt;
        return QVariant(utc);
    }
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        QVariantList out;
        for (const QVariant& item : value.toList()) {
            auto normal = normalizedValue(item);
            if (!normal)
                return std::nullopt;
            out.append(*normal);
        }
        return QVariant(out);
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: {
        QVariantMap out;
        const QVariantMap in = value.toMap();
        for (auto it = in.cbegin(); it != in.cend(); ++it) {
            auto normal = normalizedValue(it.value());
            if (!normal || !isXmlText(it.key()))
                return std::nullopt;
            out.insert(it.key(), *normal);
        }
        return QVariant(out);
    }
    default:
        return std::nullopt;
    }
}

bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.userType() != b.userType())
        return false;
    switch (a.userType()) {
    case QMetaType::Double: {
        const double x = a.toDouble(), y = b.toDouble();
        return std::memcmp(&x, &y, sizeof x) == 0;
    }
    case QMetaType::QVariantList: {
        const QVariantList x = a.toList(), y = b.toList();
        if (x.size() != y.size())
            return false;
        for (int i = 0; i < x.size(); ++i) {
            if (!sameValue(x.at(i), y.at(i)))
                return false;
        }
        return true;
    }
    case QMetaType::QVariantMap:
        return sameDictionary(a.toMap(), b.toMap());
    default:
        return a == b;
    }
}

bool sameDictionary(const QVariantMap& a, const QVariantMap& b)
{
    if (a.size() != b.size())
        return false;
    for (auto x = a.cbegin(), y = b.cbegin(); x != a.cend(); ++x, ++y) {
        if (x.key() != y.key() || !sameValue(x.value(), y.value()))
            return false;
    }
    return true;
}

}  // namespace platform::preferences

#include "platform/mail/HeaderBlock.h"

#include "platform/mail/EncodedWords.h"
#include "platform/mail/MailLog.h"

#include <KMime/Headers>

#include <QTextCodec>

#include <algorithm>
#include <initializer_list>
#include <cstring>

namespace platform::mail {
namespace {

// Looked up once: QTextCodec::codecForMib takes a lock and walks a list.
QTextCodec* utf8Codec()
{
    static QTextCodec* const codec = QTextCodec::codecForMib(106);
    return codec;
}

// One line of a block: its length without the line end, and where the next begins
// (past the end of the block after the last line).
struct Line {
    qsizetype length;
    qsizetype next;
};

Line lineAt(const char* data, qsizetype size, qsizetype start)
{
    const auto* lf = static_cast<const char*>(std::memchr(data + start, '\n', static_cast<size_t>(size - start)));
    const qsizetype end = lf ? lf - data : size;
    const qsizetype length = (end > start && data[end - 1] == '\r') ? end - start - 1 : end - start;
    return {length, end + 1};
}

bool isContinuation(const char* line, qsizetype length)
{
    return length > 0 && (line[0] == ' ' || line[0] == '\t');
}

// Does the line open a field called name ("Name:" or the obsolete "Name :")?
// Gives the offset after the colon, or -1.
qsizetype fieldValueOffset(const char* line, qsizetype size, const char* name)
{
    const qsizetype length = qstrlen(name);
    if (size <= length || qstrnicmp(line, name, length) != 0)
        return -1;
    qsizetype i = length;
    while (i < size && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    return (i < size && line[i] == ':') ? i + 1 : -1;
}

// Calls take(i, value) for each field called names[i], in the order of the block,
// with its value unfolded and trimmed, until take returns false. Lines are looked
// at in place; only the values found are copied.
template <class Take>
void forEachField(const QByteArray& block, std::initializer_list<const char*> names, Take take)
{
    const char* const data = block.constData();
    const qsizetype size = block.size();
    for (qsizetype start = 0; start <= size;) {
        const Line line = lineAt(data, size, start);
        qsizetype offset = -1;
        int index = 0;
        for (const char* name : names) {
            offset = fieldValueOffset(data + start, line.length, name);
            if (offset >= 0)
                break;
            ++index;
        }
        if (offset < 0) {
            start = line.next;
            continue;
        }
        // The folded lines are measured first, so the value is allocated once.
        qsizetype length = line.length - offset;
        qsizetype next = line.next;
        while (next <= size) {
            const Line more = lineAt(data, size, next);
            if (!isContinuation(data + next, more.length))
                break;
            length += more.length;
            next = more.next;
        }
        QByteArray value;
        value.reserve(static_cast<int>(length));
        value.append(data + start + offset, static_cast<int>(line.length - offset));
        for (qsizetype at = line.next; at < next;) {
            const Line more = lineAt(data, size, at);
            value.append(data + at, static_cast<int>(more.length));  // unfolding drops the line break, keeps the blank
            at = more.next;
        }
        if (value.contains('\0')) {
            qCInfo(lcMail, "NUL bytes in a %s field read as blanks", names.begin()[index]);
            value.replace('\0', ' ');
        }
        if (!take(index, value.trimmed()))
            break;
        start = next;
    }
}

// The values of the fields called name; only the first when firstOnly, which
// spares the rest of the block.
QList<QByteArray> fieldValues(const QByteArray& block, const char* name, bool firstOnly)
{
    QList<QByteArray> values;
    forEachField(block, {name}, [&](int, QByteArray value) {
        values.append(std::move(value));
        return !firstOnly;
    });
    return values;
}

}  // namespace

QString MailAddress::display() const
{
    if (name.isEmpty())
        return address;
    if (address.isEmpty())
        return name;
    return name + QStringLiteral(" <") + address + QLatin1Char('>');
}

HeaderBlock::HeaderBlock(QByteArray block) : m_block(std::move(block)) {}

HeaderBlock::Split HeaderBlock::split(const QByteArray& message)
{
    return split(message.constData(), message.size());
}

HeaderBlock::Split HeaderBlock::split(const char* data, qsizetype size)
{
    if (size > 0 && data[0] == '\n')
        return {0, 1, true};
    if (size > 1 && data[0] == '\r' && data[1] == '\n')
        return {0, 2, true};
    // The first line break followed by an empty line, LF or CRLF, ends the block:
    // one pass from line break to line break.
    const char* const end = data + size;
    for (const char* at = data; at < end;) {
        const auto* lf = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at)));
        if (!lf)
            break;
        const qsizetype offset = lf - data;
        const qsizetype headerLength = (offset > 0 && lf[-1] == '\r') ? offset - 1 : offset;
        if (lf + 1 < end && lf[1] == '\n')
            return {headerLength, offset + 2, true};
        if (lf + 2 < end && lf[1] == '\r' && lf[2] == '\n')
            return {headerLength, offset + 3, true};
        at = lf + 1;
    }
    return {size, size, false};
}

bool HeaderBlock::isValidUtf8(const QByteArray& bytes)
{
    bool ascii = true;
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return true;
    QTextCodec::ConverterState state;
    utf8Codec()->toUnicode(bytes.constData(), int(bytes.size()), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

QString HeaderBlock::decodeUndeclared(const QByteArray& bytes)
{
    // One pass: decode as UTF-8 and look at what the decoder met.
    QTextCodec::ConverterState state;
    QString text = utf8Codec()->toUnicode(bytes.constData(), int(bytes.size()), &state);
    if (state.invalidChars == 0 && state.remainingChars == 0)
        return text;
    qCInfo(lcMail, "Text that is not UTF-8 and names no charset reads as Windows-1252");
    return decodeWindows1252(bytes.constData(), bytes.size());
}

QString HeaderBlock::decodeCharset(const QByteArray& bytes, QByteArray charset)
{
    charset = charset.trimmed().toLower();
    if (charset == "utf-8" || charset == "utf8") {
        // Declared UTF-8 is read as UTF-8 whatever it holds: a stray byte is one
        // U+FFFD, not a reason to read the whole text another way.
        QTextCodec::ConverterState state;
        QString text = utf8Codec()->toUnicode(bytes.constData(), int(bytes.size()), &state);
        if (state.invalidChars == 0 && state.remainingChars == 0)
            return text;
        // Unless not one of its 8-bit characters is UTF-8: then the label is wrong
        // and the text is Windows-1252, as undeclared text is read.
        if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x80 && c != QChar::ReplacementCharacter; })) {
            qCInfo(lcMail, "Text labelled UTF-8 without one UTF-8 character reads as Windows-1252");
            return decodeWindows1252(bytes.constData(), bytes.size());
        }
        if (state.remainingChars > 0)
            text += QChar(QChar::ReplacementCharacter);  // a sequence cut off at the end
        qCInfo(lcMail, "Bytes that are not UTF-8 in text labelled UTF-8 read as U+FFFD");
        return text;
    }
    if (charset.isEmpty() || charset == "us-ascii" || charset == "ascii")
        return decodeUndeclared(bytes);
    if (QTextCodec* codec = QTextCodec::codecForName(charset)) {
        QString text = codec->toUnicode(bytes);
        // Mail labelled Latin-1 is Windows-1252 in practice (as browsers take it).
        if (codec->mibEnum() == 4 && readC1AsWindows1252(text))
            qCInfo(lcMail, "Text labelled Latin-1 with bytes 128-159 reads as Windows-1252");
        return text;
    }
    qCInfo(lcMail, "Text in the unknown charset %s reads as undeclared", charset.constData());
    return decodeUndeclared(bytes);
}

QString HeaderBlock::decodeWindows1252(const char* data, qsizetype size)
{
    QString text = QString::fromLatin1(data, int(size));  // (the QByteArray overload stops at NUL)
    readC1AsWindows1252(text);
    return text;
}

char16_t HeaderBlock::windows1252(char16_t c)
{
    static constexpr char16_t kTable[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
    };
    return c >= 0x80 && c < 0xA0 ? kTable[c - 0x80] : 0;
}

bool HeaderBlock::readC1AsWindows1252(QString& text)
{
    const auto isC1 = [](QChar c) { return c.unicode() >= 0x80 && c.unicode() < 0xA0; };
    if (std::none_of(text.cbegin(), text.cend(), isC1))
        return false;  // the rule, and no copy of a shared text
    for (QChar& c : text) {
        if (const char16_t readable = isC1(c) ? windows1252(c.unicode()) : 0)
            c = QChar(readable);
    }
    return true;
}

QString HeaderBlock::withoutControls(QString text)
{
    readC1AsWindows1252(text);
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0))
            c = QLatin1Char(' ');
    }
    return text;
}

QList<QByteArray> HeaderBlock::rawValues(const char* name) const
{
    return fieldValues(m_block, name, false);
}

std::optional<QByteArray> HeaderBlock::rawValue(const char* name) const
{
    QList<QByteArray> values = fieldValues(m_block, name, true);
    if (values.isEmpty())
        return std::nullopt;
    return values.takeFirst();
}

QString HeaderBlock::text(const char* name) const
{
    const auto value = rawValue(name);
    if (!value || value->isEmpty())
        return {};
    // Plain ASCII without an encoded word reads as itself: decoding would hand back
    // the same text, at the price of a decoder run.
    if (findBytes(*value, "=?", 0) < 0
        && std::all_of(value->cbegin(), value->cend(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return withoutControls(QString::fromLatin1(*value));
    return withoutControls(decodeEncodedWords(*value));
}

QList<MailAddress> HeaderBlock::addresses(const char* name) const
{
    QList<MailAddress> result;
    const QList<QByteArray> values = rawValues(name);
    for (const QByteArray& value : values)
        result += parseAddressList(value);
    return result;
}

std::array<QList<MailAddress>, 3> HeaderBlock::recipients() const
{
    std::array<QList<MailAddress>, 3> result;
    forEachField(m_block, {"To", "Cc", "Bcc"}, [&](int index, const QByteArray& value) {
        result[static_cast<size_t>(index)] += parseAddressList(value);
        return true;
    });
    return result;
}

QDateTime HeaderBlock::dateTime(const char* name) const
{
    const auto value = rawValue(name);
    if (!value || value->isEmpty())
        return {};
    KMime::Headers::Date header;
    header.from7BitString(*value);
    QDateTime result = header.dateTime();
    if (!result.isValid())
        result = QDateTime::fromString(QString::fromLatin1(*value), Qt::RFC2822Date);
    if (!result.isValid())
        qCInfo(lcMail, "A %s field that cannot be read gives no date", name);
    return result;
}

QString HeaderBlock::identifier(const char* name) const
{
    const auto value = rawValue(name);
    if (!value)
        return {};
    QByteArray id = *value;
    const qsizetype open = id.indexOf('<');
    if (open >= 0) {
        const qsizetype close = id.indexOf('>', open + 1);
        id = id.mid(open + 1, close < 0 ? -1 : close - open - 1);
    } else {
        const qsizetype blank = id.indexOf(' ');
        if (blank >= 0)
            id.truncate(blank);
    }
    return withoutControls(decodeUndeclared(id.trimmed()));
}

}  // namespace platform::mail

#include "platform/mail/HeaderBlock.h"

#include "platform/mail/MailLog.h"

#include <KMime/Headers>

#include <QTextCodec>

#include <algorithm>
#include <initializer_list>
#include <cstring>

namespace platform::mail {
namespace {

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

// KMime takes 8-bit header text as UTF-8; text that is not valid UTF-8 is
// Windows-1252 in practice, so it is handed over re-encoded.
QByteArray asUtf8(const QByteArray& value)
{
    if (HeaderBlock::isValidUtf8(value))
        return value;
    qCInfo(lcMail, "Header text that is not UTF-8 reads as Windows-1252");
    return HeaderBlock::decodeWindows1252(value.constData(), value.size()).toUtf8();
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

// One encoded word ("=?charset?Q?text?=" or "=?charset?B?text?=") at data[at],
// its payload decoded to bytes; none when there is no well-formed word there.
struct EncodedWord {
    qsizetype end = 0;  // one past "?="
    QByteArray charset;
    QByteArray bytes;
};

// Where needle first occurs in data from position from, looking no further than
// limit bytes; -1 when it does not. The bound keeps a field full of "=?" linear.
qsizetype indexWithin(const QByteArray& data, const char* needle, qsizetype from, qsizetype limit)
{
    if (from >= data.size())
        return -1;
    const QByteArray window = QByteArray::fromRawData(data.constData() + from, int(std::min(limit, data.size() - from)));
    const qsizetype found = window.indexOf(needle);
    return found < 0 ? -1 : from + found;
}

std::optional<EncodedWord> encodedWordAt(const QByteArray& data, qsizetype at)
{
    // Longer words than these bounds are not joined (KMime still decodes them);
    // a word may be 75 characters long.
    constexpr qsizetype kLongestCharset = 64;
    constexpr qsizetype kLongestPayload = 1024;
    if (at + 1 >= data.size() || data.at(at) != '=' || data.at(at + 1) != '?')
        return std::nullopt;
    const qsizetype charsetEnd = indexWithin(data, "?", at + 2, kLongestCharset);
    if (charsetEnd < at + 3 || charsetEnd + 2 >= data.size() || data.at(charsetEnd + 2) != '?')
        return std::nullopt;
    const char encoding = static_cast<char>(data.at(charsetEnd + 1) | 0x20);
    const qsizetype payloadEnd = indexWithin(data, "?=", charsetEnd + 3, kLongestPayload);
    if ((encoding != 'q' && encoding != 'b') || payloadEnd < 0)
        return std::nullopt;
    EncodedWord word;
    word.end = payloadEnd + 2;
    word.charset = data.mid(at + 2, charsetEnd - at - 2).toLower();
    const QByteArray payload = data.mid(charsetEnd + 3, payloadEnd - charsetEnd - 3);
    if (payload.contains(' ') || payload.contains('\t') || word.charset.contains(' '))
        return std::nullopt;
    if (encoding == 'b') {
        auto decoded = QByteArray::fromBase64Encoding(payload, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return std::nullopt;
        word.bytes = std::move(*decoded);
        return word;
    }
    word.bytes = QByteArray::fromPercentEncoding(QByteArray(payload).replace('_', ' '), '=');
    return word;
}

// The value with each run of adjacent encoded words of one charset joined into a
// single word. Some mailers cut a multibyte character between two words
// ("=?UTF-8?Q?caf=C3?= =?UTF-8?Q?=A9?="): decoded word by word that gives two
// U+FFFD, joined it decodes whole. The blanks between adjacent words are not text
// (RFC 2047), so joining changes nothing else.
QByteArray joinSplitWords(const QByteArray& value)
{
    if (value.count("=?") < 2)
        return value;
    QByteArray out;
    qsizetype copied = 0;
    for (qsizetype at = value.indexOf("=?"); at >= 0; at = value.indexOf("=?", at + 1)) {
        std::optional<EncodedWord> first = encodedWordAt(value, at);
        if (!first)
            continue;
        QByteArray bytes = first->bytes;
        qsizetype end = first->end;
        int joined = 1;
        for (;;) {
            qsizetype next = end;
            while (next < value.size() && (value.at(next) == ' ' || value.at(next) == '\t'))
                ++next;
            const std::optional<EncodedWord> word = encodedWordAt(value, next);
            if (!word || word->charset != first->charset)
                break;
            bytes += word->bytes;
            end = word->end;
            ++joined;
        }
        if (joined > 1) {
            out += value.mid(copied, at - copied);
            out += "=?" + first->charset + "?B?" + bytes.toBase64() + "?=";
            copied = end;
        }
        at = end - 1;
    }
    if (copied == 0)
        return value;
    out += value.mid(copied);
    return out;
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
    QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), int(bytes.size()), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

QString HeaderBlock::decodeUndeclared(const QByteArray& bytes)
{
    // One pass: decode as UTF-8 and look at what the decoder met.
    QTextCodec::ConverterState state;
    QString text = QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), int(bytes.size()), &state);
    if (state.invalidChars == 0 && state.remainingChars == 0)
        return text;
    qCInfo(lcMail, "Text that is not UTF-8 and names no charset reads as Windows-1252");
    return decodeWindows1252(bytes.constData(), bytes.size());
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
    // Plain ASCII without an encoded word reads as itself: KMime would hand back
    // the same text, at the price of a header object and a decoder run.
    if (!value->contains("=?")
        && std::all_of(value->cbegin(), value->cend(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return withoutControls(QString::fromLatin1(*value));
    KMime::Headers::Subject header;
    header.from7BitString(asUtf8(joinSplitWords(*value)));
    return withoutControls(header.asUnicodeString());
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

namespace {

// The characters of an atom (RFC 5322 atext) besides letters and digits.
bool isAtomChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
        || (c != '\0' && std::strchr("!#$%&'*+-/=?^_`{|}~", c) != nullptr);
}

// local@domain, each a run of atoms joined by single dots.
bool isPlainAddress(const char* from, const char* to)
{
    const char* at = std::find(from, to, '@');
    const auto dotAtoms = [](const char* begin, const char* end) {
        if (begin == end || *begin == '.' || end[-1] == '.')
            return false;
        for (const char* c = begin; c < end; ++c) {
            if (*c == '.' ? c[1] == '.' : !isAtomChar(*c))
                return false;
        }
        return true;
    };
    return at != to && dotAtoms(from, at) && dotAtoms(at + 1, to);
}

// The everyday address list, read without KMime: ASCII "a@b.c" and
// "Name Words <a@b.c>" items joined by commas (and the blanks a folded field
// leaves), with nothing that needs decoding, quoting or grouping. False, with out untouched, for anything else, which KMime
// reads instead; for what it accepts, both read the same.
bool parsePlainAddressList(const QByteArray& value, QList<MailAddress>* out)
{
    for (const char c : value) {
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || static_cast<unsigned char>(c) >= 0x7F
            || std::strchr("\"()\\;:[]", c) != nullptr)
            return false;
    }
    if (value.contains("=?"))
        return false;
    QList<MailAddress> result;
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    for (const char* item = value.cbegin();;) {
        const char* comma = std::find(item, value.cend(), ',');
        const char* begin = item;
        const char* end = comma;
        const bool last = comma == value.cend();
        item = last ? comma : comma + 1;
        while (begin < end && isBlank(*begin))
            ++begin;
        while (end > begin && isBlank(end[-1]))
            --end;
        const char* open = std::find(begin, end, '<');
        if (open == end) {
            if (!isPlainAddress(begin, end))
                return false;
            result.append({QString(), QString::fromLatin1(begin, static_cast<int>(end - begin))});
        } else {
            if (end[-1] != '>' || std::find(open + 1, end, '<') != end || std::find(begin, end, '>') != end - 1
                || !isPlainAddress(open + 1, end - 1))
                return false;
            // Words of atoms with single spaces between them, as KMime gives them back.
            const char* nameEnd = open;
            while (nameEnd > begin && isBlank(nameEnd[-1]))
                --nameEnd;
            for (const char* c = begin; c < nameEnd; ++c) {
                if (*c == ' ' ? c[1] == ' ' : !isAtomChar(*c))
                    return false;
            }
            result.append({QString::fromLatin1(begin, static_cast<int>(nameEnd - begin)),
                           QString::fromLatin1(open + 1, static_cast<int>(end - open - 2))});
        }
        if (last)
            break;
    }
    *out = std::move(result);
    return true;
}

}  // namespace

QList<MailAddress> HeaderBlock::parseAddressList(const QByteArray& rawList)
{
    const QByteArray value = asUtf8(joinSplitWords(rawList.trimmed()));
    if (value.isEmpty())
        return {};
    if (QList<MailAddress> plain; parsePlainAddressList(value, &plain))
        return plain;
    // 8-bit text in an address field: KMime's 7-bit parser reads it as Latin-1,
    // its Unicode entry point as what it is.
    KMime::Headers::To header;
    bool ascii = true;
    for (const char c : value)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        header.from7BitString(value);
    else
        header.fromUnicodeString(QString::fromUtf8(value), "utf-8");
    QList<MailAddress> result;
    const auto mailboxes = header.mailboxes();
    for (const auto& mailbox : mailboxes)
        result.append({withoutControls(mailbox.name()).trimmed(),
                       withoutControls(QString::fromUtf8(mailbox.address())).trimmed()});
    if (result.isEmpty()) {
        // Not an address list KMime can read ("From: the office"): keep the text
        // rather than lose the field. A group without members
        // ("undisclosed-recipients:;") names nobody: it stays empty.
        KMime::Headers::Subject fallback;
        fallback.from7BitString(value);
        const QString text = withoutControls(fallback.asUnicodeString()).trimmed();
        const bool group = text.endsWith(QLatin1Char(';')) && text.contains(QLatin1Char(':'));
        if (!text.isEmpty() && !group) {
            qCInfo(lcMail, "An address field without an address keeps its text");
            result.append({QString(), text});
        }
    }
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

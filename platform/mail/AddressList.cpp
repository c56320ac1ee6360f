#include "platform/mail/HeaderBlock.h"

#include "platform/mail/EncodedWords.h"
#include "platform/mail/MailLog.h"

#include <KMime/Headers>

#include <algorithm>
#include <cctype>
#include <cstring>

// Address lists: the everyday ones read by a fast parser of our own, anything
// else item by item with KMime, so that one item nobody can read costs only
// itself.

namespace platform::mail {
namespace {

// The characters of an atom (RFC 5322 atext) besides letters and digits.
bool isAtomChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
        || (c != '\0' && std::strchr("!#$%&'*+-/=?^_`{|}~", c) != nullptr);
}

// An atom character, or any 8-bit byte of UTF-8 text when utf8 (RFC 6532).
bool isAtomChar(char c, bool utf8)
{
    return (utf8 && static_cast<unsigned char>(c) >= 0x80) || isAtomChar(c);
}

// local@domain, each a run of atoms joined by single dots.
bool isPlainAddress(const char* from, const char* to, bool utf8 = false)
{
    const char* at = std::find(from, to, '@');
    const auto dotAtoms = [utf8](const char* begin, const char* end) {
        if (begin == end || *begin == '.' || end[-1] == '.')
            return false;
        for (const char* c = begin; c < end; ++c) {
            if (*c == '.' ? c[1] == '.' : !isAtomChar(*c, utf8))
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
    if (findBytes(value, "=?", 0) >= 0)
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


// The items of an address list, cut at the commas outside quoted strings,
// comments, angle brackets and domain literals. A group ("Team: a@x, b@y;")
// gives its members and drops its name; an empty group gives nothing.
QList<QByteArray> splitItems(const QByteArray& value)
{
    QList<QByteArray> items;
    const char* data = value.constData();
    const qsizetype size = value.size();
    qsizetype start = 0;
    // Items are views of the value, trimmed without a copy.
    const auto cut = [&](qsizetype end) {
        qsizetype from = start;
        qsizetype to = end;
        while (from < to && std::isspace(static_cast<unsigned char>(data[from])))
            ++from;
        while (to > from && std::isspace(static_cast<unsigned char>(data[to - 1])))
            --to;
        if (to > from)
            items.append(QByteArray::fromRawData(data + from, static_cast<int>(to - from)));
        start = end + 1;
    };
    int comment = 0;
    bool quoted = false;
    bool literal = false;
    bool angle = false;
    bool group = false;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (quoted || comment > 0) {
            if (c == '\\')
                ++i;
            else if (quoted && c == '"')
                quoted = false;
            else if (!quoted && c == '(')
                ++comment;
            else if (!quoted && c == ')')
                --comment;
            continue;
        }
        if (literal) {
            literal = c != ']';
            continue;
        }
        switch (c) {
        case '"': quoted = true; break;
        case '(': comment = 1; break;
        case '[': literal = true; break;
        case '<': angle = true; break;
        case '>': angle = false; break;
        case ',':
            if (!angle)
                cut(i);
            break;
        case ':':
            if (!angle && !group) {
                start = i + 1;  // the group's name names nobody
                group = true;
            }
            break;
        case ';':
            if (!angle && group) {
                cut(i);
                group = false;
            }
            break;
        default: break;
        }
    }
    cut(size);
    return items;
}

// The text of a display name as written: a quoted string unquoted, words as
// they stand with single blanks between them, encoded words decoded.
QString phraseText(const char* begin, const char* end)
{
    QByteArray text;
    if (begin < end && *begin == '"') {
        for (const char* c = begin + 1; c < end - 1; ++c)
            text += (*c == '\\' && c + 1 < end - 1) ? *++c : *c;
    } else {
        for (const char* c = begin; c < end; ++c) {
            if (*c != ' ' && *c != '\t')
                text += *c;
            else if (!text.endsWith(' '))
                text += ' ';
        }
    }
    return findBytes(text, "=?", 0) >= 0 ? decodeEncodedWords(text) : QString::fromUtf8(text);
}

// One mailbox of the everyday kinds with 8-bit UTF-8 in it (RFC 6532): "addr",
// "Words <addr>" or "\"Quoted, Name\" <addr>", read as written. False, with out
// untouched, for anything else (comments, routes, stray specials).
bool parseUtf8Mailbox(const QByteArray& item, MailAddress* out)
{
    const auto isAddress = [](const char* from, const char* to) { return isPlainAddress(from, to, true); };
    const char* begin = item.cbegin();
    const char* end = item.cend();
    if (begin == end)
        return false;
    if (end[-1] != '>') {
        if (!isAddress(begin, end))
            return false;
        *out = {QString(), QString::fromUtf8(begin, static_cast<int>(end - begin))};
        return true;
    }
    const char* open = end - 1;
    while (open > begin && *open != '<')
        --open;
    if (*open != '<' || !isAddress(open + 1, end - 1))
        return false;
    const char* nameEnd = open;
    while (nameEnd > begin && (nameEnd[-1] == ' ' || nameEnd[-1] == '\t'))
        --nameEnd;
    if (begin < nameEnd && *begin == '"') {
        // One quoted string, closed at its end.
        const char* c = begin + 1;
        while (c < nameEnd && *c != '"')
            c += (*c == '\\') ? 2 : 1;
        if (c != nameEnd - 1)
            return false;
    } else {
        for (const char* c = begin; c < nameEnd; ++c) {
            if (!isAtomChar(*c, true) && *c != ' ' && *c != '\t' && *c != '.')
                return false;
        }
    }
    *out = {phraseText(begin, nameEnd), QString::fromUtf8(open + 1, static_cast<int>(end - open - 2))};
    return true;
}

// One item of a list, read by KMime; none when it holds no mailbox.
QList<MailAddress> parseItem(const QByteArray& item)
{
    // No mailbox is this long; KMime is not asked to find out.
    constexpr qsizetype kLongestItem = 4096;
    QList<MailAddress> result;
    if (item.size() > kLongestItem)
        return result;
    const bool ascii = std::all_of(item.cbegin(), item.cend(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    // KMime cannot read 8-bit addresses well: the everyday forms are read here.
    if (MailAddress mailbox; !ascii && parseUtf8Mailbox(item, &mailbox)) {
        result.append({HeaderBlock::withoutControls(withoutMark(mailbox.name)).trimmed(),
                       HeaderBlock::withoutControls(withoutMark(mailbox.address)).trimmed()});
        return result;
    }
    KMime::Headers::To header;
    // 8-bit text: KMime's 7-bit parser reads it as Latin-1, its Unicode entry
    // point as what it is, but writes each 8-bit word of the address as an
    // encoded word, which is undone here: an address is never encoded (RFC 6532).
    if (ascii)
        header.from7BitString(item);
    else
        header.fromUnicodeString(QString::fromUtf8(item), "utf-8");
    const auto mailboxes = header.mailboxes();
    for (const auto& mailbox : mailboxes) {
        const QByteArray address = mailbox.address();
        // Text with 8-bit characters went through KMime's encoder: words it left
        // undecoded read as a subject's would, and the mark goes.
        QString name = mailbox.name();
        if (!ascii)
            name = withoutMark(name.contains(QLatin1String("=?")) ? decodeEncodedWords(name.toUtf8()) : name);
        result.append({HeaderBlock::withoutControls(name).trimmed(),
                       HeaderBlock::withoutControls(ascii ? QString::fromUtf8(address) : withoutMark(decodeEncodedWords(address))).trimmed()});
    }
    return result;
}

// The items of a list with its words normalized, each read on its own.
QList<MailAddress> readItems(const QByteArray& value)
{
    QList<MailAddress> result;
    const QList<QByteArray> items = splitItems(value);
    for (const QByteArray& item : items) {
        if (QList<MailAddress> read = parseItem(item); !read.isEmpty()) {
            result += read;
            continue;
        }
        // Not an address anyone can read ("From: the office", "root", "b@"): the
        // item keeps its text rather than be lost, and the items around it stay
        // items of their own.
        const QString text = HeaderBlock::withoutControls(withoutMark(decodeEncodedWords(item))).trimmed();
        if (!text.isEmpty()) {
            qCInfo(lcMail, "An address item without an address keeps its text");
            result.append({QString(), text});
        }
    }
    return result;
}

}  // namespace

QList<MailAddress> HeaderBlock::parseAddressList(const QByteArray& rawList)
{
    const QByteArray value = normalizeEncodedWords(rawList.trimmed());
    if (value.isEmpty())
        return {};
    if (QList<MailAddress> plain; parsePlainAddressList(value, &plain))
        return plain;
    return readItems(value);
}

QList<MailAddress> HeaderBlock::parseAddressListItemByItem(const QByteArray& rawList)
{
    return readItems(normalizeEncodedWords(rawList.trimmed()));
}

}  // namespace platform::mail

#include "platform/addressbook/VCardText.h"

#include <QUuid>

namespace platform::addressbook::vcard {
namespace {

struct Line {
    int start;
    int contentEnd;  // where the break starts
    int next;        // just past the break
};

// Lines end at "\r\n", "\n" or a lone "\r".
Line lineAt(const QByteArray& text, int start)
{
    int i = start;
    const int size = text.size();
    while (i < size && text[i] != '\n' && text[i] != '\r')
        ++i;
    int next = i;
    if (next < size && text[next] == '\r')
        ++next;
    if (next < size && text[next] == '\n' && (next == i || text[i] == '\r'))
        ++next;
    return {start, i, next};
}

QByteArray trimmedUpper(const QByteArray& text, const Line& line)
{
    return text.mid(line.start, line.contentEnd - line.start).trimmed().toUpper();
}

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

bool isContinuation(const QByteArray& text, const Line& line)
{
    return line.contentEnd > line.start && (text[line.start] == ' ' || text[line.start] == '\t');
}

// A content line as readers see it: its first physical line and every line that
// continues it, a folded one (RFC 6350 3.2) or one after a quoted-printable soft
// break of vCard 2.1 ("=" at the end of a line of a QUOTED-PRINTABLE value).
struct ContentLine {
    QByteArray head;  // the unfolded text up to the first ':', which holds name and parameters
    int next;         // just past the last line and its break
};

ContentLine contentLineAt(const QByteArray& text, const Line& first)
{
    ContentLine content{{}, first.next};
    bool headDone = false;
    const auto appendHead = [&](int from, int to) {
        int end = from;
        while (!headDone && end < to)
            headDone = text[end++] == ':';
        // Most lines are not folded: their head is read in place, without a copy.
        if (content.head.isNull())
            content.head = QByteArray::fromRawData(text.constData() + from, end - from);
        else
            content.head += text.mid(from, end - from);
    };
    appendHead(first.start, first.contentEnd);
    Line last = first;
    while (content.next < text.size()) {
        const bool softBreak = last.contentEnd > last.start && text[last.contentEnd - 1] == '='
            && content.head.toUpper().contains("QUOTED-PRINTABLE");
        const Line following = lineAt(text, content.next);
        const bool folded = isContinuation(text, following);
        if (!folded && !softBreak)
            break;
        appendHead(following.start + (folded ? 1 : 0), following.contentEnd);
        content.next = following.next;
        last = following;
    }
    return content;
}

// The property name of a content line, without a group prefix ("item1.UID" -> "UID").
QByteArray propertyName(const QByteArray& head)
{
    int nameEnd = 0;
    while (nameEnd < head.size() && head[nameEnd] != ':' && head[nameEnd] != ';')
        ++nameEnd;
    QByteArray name = head.left(nameEnd).trimmed().toUpper();
    const int dot = name.lastIndexOf('.');
    return dot < 0 ? name : name.mid(dot + 1);
}

// RFC 6350 3.4: backslash, comma and line breaks are escaped in text values; the
// semicolon only inside the components of a compound value such as N (readers keep
// "\\;" of a plain value as it stands).
enum class Value { Text, Component };

QString escapeText(const QString& value, Value kind = Value::Text)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'\\': out += QLatin1String("\\\\"); break;
        case u',': out += QLatin1String("\\,"); break;
        case u';': out += kind == Value::Component ? QLatin1String("\\;") : QLatin1String(";"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\r': break;
        default: out += c;
        }
    }
    return out;
}

// Content lines longer than 75 octets are folded (RFC 6350 3.2), never inside a
// UTF-8 sequence.
void appendLine(QByteArray& card, const QString& line)
{
    constexpr int kMaxOctets = 75;
    const QByteArray bytes = line.toUtf8();
    int start = 0;
    int room = kMaxOctets;
    while (bytes.size() - start > room) {
        int cut = start + room;
        while (cut > start + 1 && (uchar(bytes[cut]) & 0xC0) == 0x80)
            --cut;
        card += bytes.mid(start, cut - start);
        card += "\r\n ";
        start = cut;
        room = kMaxOctets - 1;
    }
    card += bytes.mid(start);
    card += "\r\n";
}

QByteArray cardOf(const QString& uid, const QStringList& properties)
{
    QByteArray card = "BEGIN:VCARD\r\nVERSION:4.0\r\nPRODID:-//Quorvell//Quorvell " QUORVELL_VERSION "//EN\r\n";
    appendLine(card, QStringLiteral("UID:") + uid);
    for (const QString& property : properties)
        appendLine(card, property);
    card += "END:VCARD\r\n";
    return card;
}

}  // namespace

std::optional<std::vector<CardBlock>> splitCards(const QByteArray& file)
{
    std::vector<CardBlock> blocks;
    std::optional<CardBlock> open;
    bool sawVersion = false;
    for (int at = file.startsWith(kByteOrderMark) ? int(sizeof kByteOrderMark) - 1 : 0; at < file.size();) {
        const Line line = lineAt(file, at);
        at = line.next;
        const QByteArray upper = trimmedUpper(file, line);
        if (!open) {
            if (upper.isEmpty())
                continue;
            if (upper != "BEGIN:VCARD")
                return std::nullopt;
            open = CardBlock{line.start, 0, line.next, file.mid(line.contentEnd, line.next - line.contentEnd), false};
            if (open->lineBreak.isEmpty())
                open->lineBreak = "\r\n";
            sawVersion = false;
            continue;
        }
        if (upper == "END:VCARD") {
            open->end = line.next;
            blocks.push_back(*open);
            open.reset();
            continue;
        }
        if (upper == "BEGIN:VCARD")
            return std::nullopt;
        const ContentLine content = contentLineAt(file, line);
        at = content.next;
        const QByteArray name = propertyName(content.head);
        if (name == "UID") {
            open->hasUid = true;
        } else if (name == "VERSION" && !sawVersion) {
            sawVersion = true;
            open->uidInsertAt = content.next;
        }
    }
    if (open || blocks.empty())
        return std::nullopt;
    return blocks;
}

QByteArray withoutByteOrderMark(const QByteArray& file)
{
    return file.startsWith(kByteOrderMark) ? file.mid(int(sizeof kByteOrderMark) - 1) : file;
}

QByteArray insertUid(const QByteArray& file, const CardBlock& block, const QString& uid)
{
    QByteArray edited = file;
    // A VERSION line that ends the file without a break needs one before the UID.
    const bool needsBreak = block.uidInsertAt > 0 && file[block.uidInsertAt - 1] != '\n'
        && file[block.uidInsertAt - 1] != '\r';
    QByteArray line = (needsBreak ? block.lineBreak : QByteArray()) + "UID:" + uid.toUtf8() + block.lineBreak;
    edited.insert(block.uidInsertAt, line);
    return edited;
}

QString memberReference(const QString& uid)
{
    return uid.contains(u':') ? uid : QStringLiteral("urn:uuid:") + uid;
}

QString newUid()
{
    return QStringLiteral("urn:uuid:") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QByteArray personCard(const QString& uid, const QString& firstName, const QString& lastName, const QString& email,
                      const QString& category)
{
    QStringList names;
    if (!firstName.isEmpty())
        names << firstName;
    if (!lastName.isEmpty())
        names << lastName;
    const QString formatted = names.isEmpty() ? email : names.join(u' ');
    QStringList properties{
        QStringLiteral("FN:") + escapeText(formatted),
        QStringLiteral("N:%1;%2;;;").arg(escapeText(lastName, Value::Component), escapeText(firstName, Value::Component)),
    };
    if (!email.isEmpty())
        properties << QStringLiteral("EMAIL;TYPE=work:") + escapeText(email);
    // One category: a comma in it is escaped, not a separator.
    if (!category.isEmpty())
        properties << QStringLiteral("CATEGORIES:") + escapeText(category);
    return cardOf(uid, properties);
}

QByteArray groupCard(const QString& uid, const QString& name, const QStringList& members)
{
    QStringList properties{QStringLiteral("KIND:group"), QStringLiteral("FN:") + escapeText(name),
                           QStringLiteral("X-ADDRESSBOOKSERVER-KIND:group")};
    for (const QString& member : members)
        properties << QStringLiteral("MEMBER:") + member;
    for (const QString& member : members)
        properties << QStringLiteral("X-ADDRESSBOOKSERVER-MEMBER:") + member;
    return cardOf(uid, properties);
}

}  // namespace platform::addressbook::vcard

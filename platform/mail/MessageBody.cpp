#include "platform/mail/MessageBody.h"

#include "platform/mail/HeaderBlock.h"
#include "platform/mail/HtmlText.h"
#include "platform/mail/MailLog.h"

#include <KMime/Content>
#include <KMime/Headers>
#include <KMime/Util>

#include <QTextCodec>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>
#include <vector>

namespace platform::mail {
namespace {

// Nesting deeper than this is not mail anyone writes; it is not followed.
constexpr int kMaxDepth = 32;

// bytes[from, from + length) without a copy: the parts of a message are views of
// the message, which outlives them, so nesting costs no copies of its parts.
QByteArray view(const QByteArray& bytes, qsizetype from, qsizetype length)
{
    return QByteArray::fromRawData(bytes.constData() + from, static_cast<int>(length));
}

// One MIME entity cut at its empty line. KMime parses a part's structure only
// through Content::parse(), which scans every text body for uuencoded blocks and
// cuts multiparts slowly; the cutting is done here and KMime does the rest
// (header values, transfer decoding).
struct Entity {
    HeaderBlock header;
    QByteArray body;
    KMime::Headers::ContentType type;

    explicit Entity(const QByteArray& bytes)
    {
        const HeaderBlock::Split split = HeaderBlock::split(bytes);
        header = HeaderBlock(view(bytes, 0, split.headerLength));
        body = view(bytes, split.bodyOffset, bytes.size() - split.bodyOffset);
        if (const auto value = header.rawValue("Content-Type"))
            type.from7BitString(*value);
        if (type.mimeType().isEmpty())
            type.setMimeType("text/plain");
    }

    [[nodiscard]] bool isAttachment() const
    {
        const auto value = header.rawValue("Content-Disposition");
        return value && value->trimmed().toLower().startsWith("attachment");
    }

    // The file name of the disposition, else the name of the type, else the type.
    [[nodiscard]] QString fileName() const
    {
        QString name;
        if (const auto value = header.rawValue("Content-Disposition")) {
            KMime::Headers::ContentDisposition disposition;
            disposition.from7BitString(*value);
            name = disposition.filename();
        }
        if (name.trimmed().isEmpty())
            name = type.name();
        name = HeaderBlock::withoutControls(name).trimmed();
        return name.isEmpty() ? QString::fromLatin1(type.mimeType()) : name;
    }

    // The size after transfer decoding; base64 is counted, not decoded.
    [[nodiscard]] qint64 decodedSize() const
    {
        const auto encoding = header.rawValue("Content-Transfer-Encoding");
        const QByteArray name = encoding ? encoding->trimmed().toLower() : QByteArray();
        if (name == "base64") {
            qint64 symbols = 0;
            for (const char c : body)
                symbols += ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/') ? 1 : 0;
            return symbols * 3 / 4;
        }
        if (name == "quoted-printable") {
            KMime::Content scratch;
            scratch.contentTransferEncoding()->from7BitString(name);
            scratch.setBody(body);
            return scratch.decodedContent().size();
        }
        return body.size();
    }
};

// Base64 as mailers write it: line breaks and stray characters are skipped, and
// a "=" pad ends a group, not the text. Some mailers join separately encoded
// pieces, each with its pad; KMime stops at the first.
QByteArray decodeBase64(const QByteArray& encoded)
{
    QByteArray out;
    out.reserve(encoded.size() / 4 * 3 + 3);
    quint32 group = 0;
    int symbols = 0;
    const auto flush = [&] {
        if (symbols >= 2)
            out += char(group >> 16);
        if (symbols >= 3)
            out += char(group >> 8 & 0xFF);
        group = 0;
        symbols = 0;
    };
    for (const char c : encoded) {
        int value = -1;
        if (c >= 'A' && c <= 'Z')
            value = c - 'A';
        else if (c >= 'a' && c <= 'z')
            value = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            value = c - '0' + 52;
        else if (c == '+')
            value = 62;
        else if (c == '/')
            value = 63;
        else if (c == '=' && symbols > 0)
            flush();
        if (value < 0)
            continue;
        group |= quint32(value) << (18 - 6 * symbols);
        if (++symbols == 4) {
            out += char(group >> 16);
            out += char(group >> 8 & 0xFF);
            out += char(group & 0xFF);
            group = 0;
            symbols = 0;
        }
    }
    flush();
    return out;
}

// The charset an HTML part names in its <meta> (charset="x" or the http-equiv
// form's content="text/html; charset=x"), looked for in its first few KB as
// browsers do; empty when it names none.
QByteArray metaCharset(const QByteArray& html)
{
    const QByteArray head = html.left(4096).toLower();
    for (qsizetype meta = head.indexOf("<meta"); meta >= 0; meta = head.indexOf("<meta", meta + 5)) {
        const qsizetype close = head.indexOf('>', meta);
        const QByteArray tag = head.mid(meta, close < 0 ? -1 : close - meta);
        const qsizetype at = tag.indexOf("charset=");
        if (at < 0)
            continue;
        qsizetype from = at + 8;
        while (from < tag.size() && (tag.at(from) == '"' || tag.at(from) == '\'' || tag.at(from) == ' '))
            ++from;
        qsizetype to = from;
        while (to < tag.size() && (std::isalnum(static_cast<unsigned char>(tag.at(to))) || std::strchr("-_.:", tag.at(to))))
            ++to;
        if (to > from)
            return tag.mid(from, to - from);
    }
    return {};
}

QString decodeText(const Entity& entity)
{
    const auto encoding = entity.header.rawValue("Content-Transfer-Encoding");
    const QByteArray name = encoding ? encoding->trimmed().toLower() : QByteArray();
    QByteArray bytes;
    if (name.isEmpty() || name == "7bit" || name == "8bit" || name == "binary") {
        bytes = entity.body;  // the part as it stands, not a copy of it
    } else if (name == "base64") {
        bytes = decodeBase64(entity.body);
    } else {
        KMime::Content scratch;
        if (encoding)
            scratch.contentTransferEncoding()->from7BitString(*encoding);
        scratch.setBody(entity.body);
        bytes = scratch.decodedContent();
    }
    // The parameter as written: KMime's charset() reads a missing one as
    // ISO-8859-1, which would turn undeclared UTF-8 into mojibake.
    QByteArray charset = entity.type.parameter(QStringLiteral("charset")).toLatin1();
    if (charset.isEmpty() && entity.type.isHTMLText())
        charset = metaCharset(bytes);
    return HeaderBlock::decodeCharset(bytes, charset);
}

// Where the line holding a delimiter starts, from position from; -1 when none.
// glibc's memmem, several times faster than QByteArray::indexOf on long bodies:
// every level of nesting scans its part once.
qsizetype findDelimiter(const QByteArray& body, const QByteArray& delimiter, qsizetype from)
{
    const char* data = body.constData();
    const auto find = [&](qsizetype start) -> qsizetype {
        if (start > body.size())
            return -1;
        const void* found = ::memmem(data + start, size_t(body.size() - start), delimiter.constData(), size_t(delimiter.size()));
        return found ? static_cast<const char*>(found) - data : -1;
    };
    for (qsizetype at = find(from); at >= 0; at = find(at + 1)) {
        if (at == 0 || data[at - 1] == '\n')
            return at;
    }
    return -1;
}

// The parts between the delimiter lines; the line break before a delimiter belongs
// to it. A body without its closing delimiter still gives its last part.
QList<QByteArray> cutParts(const QByteArray& body, const QByteArray& boundary)
{
    QList<QByteArray> parts;
    if (boundary.isEmpty())
        return parts;
    const QByteArray delimiter = "--" + boundary;
    qsizetype at = findDelimiter(body, delimiter, 0);
    while (at >= 0) {
        const bool closing = body.mid(at + delimiter.size(), 2) == "--";
        if (closing)
            break;
        const qsizetype lineEnd = body.indexOf('\n', at);
        if (lineEnd < 0)
            break;
        const qsizetype next = findDelimiter(body, delimiter, lineEnd + 1);
        const qsizetype end = next < 0 ? body.size() : std::max(lineEnd + 1, next - 1);
        parts.append(view(body, lineEnd + 1, end - lineEnd - 1));
        at = next;
    }
    return parts;
}

// The body's boundary when the header's is missing or wrong: the first line that
// looks like one ("--" and something more).
QByteArray guessBoundary(const QByteArray& body)
{
    for (qsizetype start = 0; start < body.size();) {
        qsizetype end = body.indexOf('\n', start);
        if (end < 0)
            end = body.size();
        const QByteArray line = body.mid(start, end - start).trimmed();
        if (line.size() > 2 && line.startsWith("--"))
            return line.endsWith("--") && line.size() > 4 ? line.mid(2, line.size() - 4) : line.mid(2);
        start = end + 1;
    }
    return {};
}

// Walks the MIME tree once, collecting the inline texts and the attachments.
class Collector {
public:
    void entity(const Entity& entity, int depth)
    {
        if (depth > kMaxDepth)
            return;
        const KMime::Headers::ContentType& type = entity.type;
        if (type.isMultipart())
            multipart(entity, depth);
        else if (type.mimeType() == "message/rfc822")
            this->entity(Entity(entity.body), depth + 1);
        else if (type.isText() && !entity.isAttachment())
            addText(textOf(entity));
        else
            m_attachments.append({entity.fileName(), entity.decodedSize()});
    }

    QString takeText() { return std::move(m_text); }
    QList<Attachment> takeAttachments() { return std::move(m_attachments); }

private:
    void multipart(const Entity& entity, int depth)
    {
        QList<QByteArray> parts = cutParts(entity.body, entity.type.boundary());
        // KMime would not report a multipart it cannot cut: it would show it as
        // plain text. A guessed boundary usually finds the parts.
        if (parts.isEmpty()) {
            const QByteArray guessed = guessBoundary(entity.body);
            parts = cutParts(entity.body, guessed);
            if (!parts.isEmpty())
                qCInfo(lcMail, "A multipart without its boundary is cut at the guessed %s", guessed.constData());
        }
        if (parts.isEmpty()) {
            qCInfo(lcMail, "A multipart that cannot be cut reads as text");
            addText(HeaderBlock::decodeUndeclared(entity.body));
            return;
        }
        std::deque<Entity> children;  // KMime headers cannot be copied or moved
        for (const QByteArray& part : std::as_const(parts))
            children.emplace_back(part);
        const QByteArray subType = entity.type.subType();
        if (subType == "alternative") {
            // A choice that gives nothing gives way to the next: some mailers send
            // an empty plain part beside the HTML one.
            for (const Entity* choice : alternativesInOrder(children)) {
                const qsizetype text = m_text.size();
                const qsizetype attachments = m_attachments.size();
                this->entity(*choice, depth + 1);
                if (m_text.size() != text || m_attachments.size() != attachments)
                    break;
            }
        } else if (subType == "related") {
            // The root part is the message; the others are what it shows (images).
            this->entity(children.front(), depth + 1);
        } else {
            for (const Entity& child : std::as_const(children))
                this->entity(child, depth + 1);
        }
    }

    // The plain part, the HTML part and the rest, in this order of preference,
    // each once.
    static std::vector<const Entity*> alternativesInOrder(const std::deque<Entity>& children)
    {
        std::vector<const Entity*> order;
        const auto add = [&order](const Entity* e) {
            if (std::find(order.begin(), order.end(), e) == order.end())
                order.push_back(e);
        };
        for (const bool plain : {true, false}) {
            for (const Entity& child : children) {
                if (!child.isAttachment() && (plain ? child.type.isPlainText() : child.type.isHTMLText())) {
                    add(&child);
                    break;
                }
            }
        }
        // Then the others, the richest (the last) first: an HTML part may sit in
        // a multipart/related of its own.
        for (auto child = children.rbegin(); child != children.rend(); ++child)
            add(&*child);
        return order;
    }

    static QString textOf(const Entity& entity)
    {
        const QString text = decodeText(entity);
        if (entity.type.isHTMLText())
            return htmlToText(text);
        if (entity.type.isPlainText() && entity.type.parameter("format").compare(QLatin1String("flowed"), Qt::CaseInsensitive) == 0)
            return MessageBody::unflow(text, entity.type.parameter("delsp").compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0);
        return text;
    }

    void addText(QString text)
    {
        qsizetype end = text.size();
        while (end > 0 && text.at(end - 1).isSpace())
            --end;
        if (end == 0)
            return;
        text.truncate(end);
        if (!m_text.isEmpty())
            m_text += QStringLiteral("\n\n");
        m_text += text;
    }

    QString m_text;
    QList<Attachment> m_attachments;
};

}  // namespace

MessageBody::MessageBody(const QByteArray& message)
{
    // NUL bytes cut KMime's text off where they stand; they carry nothing a reader
    // wants, so they read as blanks.
    QByteArray lf = message;
    if (lf.contains('\0')) {
        qCInfo(lcMail, "NUL bytes in the message read as blanks");
        lf.replace('\0', ' ');
    }
    if (lf.contains("\r\n"))
        lf = KMime::CRLFtoLF(lf);
    Collector collector;
    collector.entity(Entity(lf), 0);
    m_text = collector.takeText();
    m_attachments = collector.takeAttachments();
}

QString MessageBody::sourceText(const QByteArray& message)
{
    // (The QByteArray overloads of fromUtf8 and fromLatin1 stop at a NUL byte.)
    if (HeaderBlock::isValidUtf8(message))
        return QString::fromUtf8(message.constData(), int(message.size()));
    QString text;
    text.reserve(message.size());
    QTextCodec* declared = nullptr;
    bool inContentType = false;
    bool undeclared = false;
    for (qsizetype start = 0; start < message.size();) {
        qsizetype end = message.indexOf('\n', start);
        end = end < 0 ? message.size() : end + 1;
        const QByteArray line = message.mid(start, end - start);
        start = end;
        // The charset of a Content-Type field (or of its continuation lines) holds
        // for the part below it, up to the next boundary line.
        const bool continuation = line.startsWith(' ') || line.startsWith('\t');
        inContentType = qstrnicmp(line.constData(), "content-type:", 13) == 0 || (inContentType && continuation);
        if (line.startsWith("--") && !line.contains(' '))
            declared = nullptr;
        const qsizetype at = inContentType ? line.toLower().indexOf("charset=") : -1;
        if (at >= 0) {
            QByteArray name = line.mid(at + 8).trimmed();
            if (name.startsWith('"'))
                name = name.mid(1, name.indexOf('"', 1) - 1);
            const qsizetype stop = name.indexOf(';');
            QTextCodec* codec = QTextCodec::codecForName(stop < 0 ? name : name.left(stop));
            // UTF-8 lines read as UTF-8 anyway; Latin-1 is read as Windows-1252,
            // as in the text of the message.
            declared = (codec && codec->mibEnum() != 106 && codec->mibEnum() != 4) ? codec : nullptr;
        }
        if (HeaderBlock::isValidUtf8(line)) {
            text += QString::fromUtf8(line.constData(), int(line.size()));
        } else if (declared) {
            text += declared->toUnicode(line);
        } else {
            undeclared = true;
            text += HeaderBlock::decodeWindows1252(line.constData(), line.size());
        }
    }
    if (undeclared)
        qCInfo(lcMail, "Lines of a source that are not UTF-8 and name no charset read as Windows-1252");
    return text;
}

QString MessageBody::unflow(const QString& text, bool delSp)
{
    QString result;
    result.reserve(text.size());
    QString paragraph;
    int paragraphDepth = 0;
    bool open = false;  // the last line ended in a soft break
    auto finish = [&] {
        if (!result.isEmpty())
            result += QLatin1Char('\n');
        if (paragraphDepth > 0)
            result += QString(paragraphDepth, QLatin1Char('>')) + QLatin1Char(' ');
        result += paragraph;
        paragraph.clear();
        open = false;
    };
    const QList<QStringView> lines = QStringView(text).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringView line = lines.at(i);
        if (i == lines.size() - 1 && line.isEmpty())
            break;
        int depth = 0;
        while (depth < line.size() && line.at(depth) == QLatin1Char('>'))
            ++depth;
        line = line.mid(depth);
        if (line.startsWith(QLatin1Char(' ')))
            line = line.mid(1);  // space-stuffing
        // A paragraph ends where the quote depth changes, whatever its last line said.
        if (open && depth != paragraphDepth)
            finish();
        paragraphDepth = depth;
        const bool soft = line.endsWith(QLatin1Char(' ')) && line != QLatin1String("-- ");
        paragraph += (soft && delSp) ? line.chopped(1) : line;
        if (soft)
            open = true;
        else
            finish();
    }
    if (open)
        finish();
    return result;
}

}  // namespace platform::mail

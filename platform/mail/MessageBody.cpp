#include "platform/mail/MessageBody.h"

#include "platform/mail/HeaderBlock.h"

#include <KMime/Content>
#include <KMime/Headers>
#include <KMime/Util>

#include <QTextCodec>
#include <QTextDocument>

#include <deque>

namespace platform::mail {
namespace {

// Nesting deeper than this is not mail anyone writes; it is not followed.
constexpr int kMaxDepth = 32;

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
        header = HeaderBlock(bytes.left(split.headerLength));
        body = bytes.mid(split.bodyOffset);
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
};

QString decodeCharset(const QByteArray& bytes, QByteArray charset)
{
    charset = charset.toLower();
    if (charset.isEmpty() || charset == "us-ascii" || charset == "utf-8" || charset == "utf8")
        return HeaderBlock::decodeUndeclared(bytes);
    QTextCodec* codec = QTextCodec::codecForName(charset);
    return codec ? codec->toUnicode(bytes) : HeaderBlock::decodeUndeclared(bytes);
}

QString decodeText(const Entity& entity)
{
    KMime::Content scratch;
    if (const auto encoding = entity.header.rawValue("Content-Transfer-Encoding"))
        scratch.contentTransferEncoding()->from7BitString(*encoding);
    scratch.setBody(entity.body);
    return decodeCharset(scratch.decodedContent(), entity.type.charset());
}

// Where the line holding a delimiter starts, from position from; -1 when none.
qsizetype findDelimiter(const QByteArray& body, const QByteArray& delimiter, qsizetype from)
{
    for (qsizetype at = body.indexOf(delimiter, from); at >= 0; at = body.indexOf(delimiter, at + 1)) {
        if (at == 0 || body.at(at - 1) == '\n')
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
        parts.append(body.mid(lineEnd + 1, end - lineEnd - 1));
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

QString textOf(const Entity& entity, int depth);

QString textOfMultipart(const Entity& entity, int depth)
{
    QList<QByteArray> parts = cutParts(entity.body, entity.type.boundary());
    // KMime would not report a multipart it cannot cut: it would show it as plain
    // text. A guessed boundary usually finds the parts.
    if (parts.isEmpty())
        parts = cutParts(entity.body, guessBoundary(entity.body));
    if (parts.isEmpty())
        return HeaderBlock::decodeUndeclared(entity.body);
    std::deque<Entity> children;  // KMime headers cannot be copied or moved
    for (const QByteArray& part : std::as_const(parts))
        children.emplace_back(part);
    if (entity.type.subType() == "alternative") {
        // The plain part first, the HTML one when there is none.
        for (const Entity& child : std::as_const(children)) {
            if (child.type.isPlainText() && !child.isAttachment())
                return textOf(child, depth + 1);
        }
    }
    for (const Entity& child : std::as_const(children)) {
        if (child.isAttachment())
            continue;
        const QString text = textOf(child, depth + 1);
        if (!text.isEmpty())
            return text;
    }
    return {};
}

QString textOf(const Entity& entity, int depth)
{
    if (depth > kMaxDepth)
        return {};
    const KMime::Headers::ContentType& type = entity.type;
    if (type.isMultipart())
        return textOfMultipart(entity, depth);
    if (type.mimeType() == "message/rfc822") {
        const Entity inner(entity.body);
        return textOf(inner, depth + 1);
    }
    if (type.isPlainText())
        return decodeText(entity);
    if (type.isHTMLText())
        return MessageBody::htmlToText(decodeText(entity));
    if (type.isText() && !entity.isAttachment())
        return decodeText(entity);
    return {};
}

}  // namespace

QString MessageBody::plainText(const QByteArray& message)
{
    // NUL bytes cut KMime's text off where they stand; they carry nothing a reader
    // wants, so they read as blanks.
    QByteArray lf = message;
    if (lf.contains('\0'))
        lf.replace('\0', ' ');
    if (lf.contains("\r\n"))
        lf = KMime::CRLFtoLF(lf);
    const Entity top(lf);
    QString text = textOf(top, 0);
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    text.truncate(end);
    return text;
}

QString MessageBody::htmlToText(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

}  // namespace platform::mail

#include "platform/mail/MessageBody.h"

#include "platform/mail/HeaderBlock.h"

#include <KMime/Message>
#include <KMime/Util>

#include <QTextCodec>
#include <QTextDocument>

namespace platform::mail {
namespace {

// Nesting deeper than this is not mail anyone writes; it is not followed.
constexpr int kMaxDepth = 32;

QString decodeText(KMime::Content* part)
{
    const QByteArray bytes = part->decodedContent();
    const auto* type = part->contentType(false);
    const QByteArray charset = type ? type->charset().toLower() : QByteArray();
    if (charset.isEmpty() || charset == "us-ascii" || charset == "utf-8" || charset == "utf8")
        return HeaderBlock::decodeUndeclared(bytes);
    QTextCodec* codec = QTextCodec::codecForName(charset);
    if (!codec)
        return HeaderBlock::decodeUndeclared(bytes);
    return codec->toUnicode(bytes);
}

bool hasAttachmentDisposition(KMime::Content* part)
{
    const auto* disposition = part->contentDisposition(false);
    return disposition && disposition->disposition() == KMime::Headers::CDattachment;
}

// The body's boundary when the header's is missing or wrong: the first line that
// looks like one ("--" and something more).
QByteArray guessBoundary(const QByteArray& body)
{
    const QList<QByteArray> lines = body.split('\n');
    for (const QByteArray& line : lines) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.size() > 2 && trimmed.startsWith("--"))
            return trimmed.endsWith("--") && trimmed.size() > 4 ? trimmed.mid(2, trimmed.size() - 4)
                                                                : trimmed.mid(2);
    }
    return {};
}

QString textOf(KMime::Content* part, int depth);

// A multipart whose parts KMime could not find: cut the body at a guessed
// boundary and read the first part that has text.
QString textOfBrokenMultipart(const QByteArray& body, int depth)
{
    const QByteArray boundary = guessBoundary(body);
    if (boundary.isEmpty())
        return HeaderBlock::decodeUndeclared(body);
    const QByteArray delimiter = "--" + boundary;
    const QList<QByteArray> lines = body.split('\n');
    QList<QByteArray> parts;
    bool inPart = false;
    for (const QByteArray& line : lines) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed == delimiter || trimmed == delimiter + "--") {
            parts.append(QByteArray());
            inPart = trimmed == delimiter;
            continue;
        }
        if (inPart)
            parts.last() += line + '\n';
    }
    for (const QByteArray& bytes : std::as_const(parts)) {
        KMime::Content content;
        content.setContent(bytes);
        content.parse();
        const QString text = textOf(&content, depth + 1);
        if (!text.isEmpty())
            return text;
    }
    return {};
}

QString textOfMultipart(KMime::Content* part, int depth)
{
    const QVector<KMime::Content*> children = part->contents();
    if (part->contentType(false)->subType() == "alternative") {
        // The plain part first, the HTML one when there is none.
        for (KMime::Content* child : children) {
            if (child->contentType(false) == nullptr || child->contentType(false)->isPlainText())
                return textOf(child, depth + 1);
        }
    }
    for (KMime::Content* child : children) {
        if (hasAttachmentDisposition(child))
            continue;
        const QString text = textOf(child, depth + 1);
        if (!text.isEmpty())
            return text;
    }
    return {};
}

QString textOf(KMime::Content* part, int depth)
{
    if (depth > kMaxDepth)
        return {};
    if (part->bodyIsMessage()) {
        const auto inner = part->bodyAsMessage();
        return inner ? textOf(inner.data(), depth + 1) : QString();
    }
    const auto* type = part->contentType(false);
    if (type && type->isMultipart() && !part->contents().isEmpty())
        return textOfMultipart(part, depth);
    // KMime turns a multipart it cannot cut into text/plain without a word; the
    // part's own header still tells.
    const QByteArray declared = HeaderBlock(part->head()).rawValue("Content-Type").value_or(QByteArray());
    if (declared.trimmed().toLower().startsWith("multipart/"))
        return textOfBrokenMultipart(part->body(), depth);
    if (!type || type->isPlainText() || type->mimeType().isEmpty())
        return decodeText(part);
    if (type->isHTMLText())
        return MessageBody::htmlToText(decodeText(part));
    if (type->isText() && !hasAttachmentDisposition(part))
        return decodeText(part);
    return {};
}

}  // namespace

QString MessageBody::plainText(const QByteArray& message)
{
    // NUL bytes cut KMime's text off where they stand; they carry nothing a reader
    // wants, so they read as blanks.
    QByteArray lf = KMime::CRLFtoLF(QByteArray(message).replace('\0', ' '));
    // The header block as we split it: KMime misses an empty header block and would
    // take the first paragraph of a body-only message for headers.
    const HeaderBlock::Split split = HeaderBlock::split(lf);
    KMime::Message parsed;
    parsed.setHead(lf.left(split.headerLength) + '\n');
    parsed.setBody(lf.mid(split.bodyOffset));
    parsed.parse();
    QString text = textOf(&parsed, 0);
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

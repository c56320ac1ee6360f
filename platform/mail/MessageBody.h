#pragma once
// The readable text of a whole message and the attachments it carries.
//
// The text is every inline text part in order, set apart by an empty line; of a
// multipart/alternative the plain part, else the HTML one turned into text; of a
// multipart/related its root part. Plain text sent as format=flowed is unwrapped
// into its paragraphs. Every other leaf part (a file, an inline image) is an
// attachment: its file name and its decoded size.
//
// The MIME structure is cut here and KMime decodes what it finds (header values,
// quoted-printable and base64): Content::parse() is slow on large bodies (it scans
// text for uuencoded blocks) and is silent about broken multiparts, which it turns
// into plain text. A multipart whose boundary is missing or wrong gets the boundary
// guessed from the first "--" line of its body, and failing that the body is shown
// as it is. CRLF messages go through KMime::CRLFtoLF first (KMime finds no body
// parts in CRLF text). Parts are views of the message, never copies, however
// deep they nest. Text is read in its charset by HeaderBlock::decodeCharset; an
// HTML part without a MIME charset in the charset of its <meta>.

#include <QByteArray>
#include <QList>
#include <QString>

namespace platform::mail {

struct Attachment {
    QString name;  // the file name; the MIME type when the part has none
    qint64 size = 0;  // bytes after transfer decoding
    friend bool operator==(const Attachment&, const Attachment&) = default;
};

class MessageBody {
public:
    // message: the raw message, any line ends.
    explicit MessageBody(const QByteArray& message);

    // The text without trailing white space; empty when there is no text part.
    [[nodiscard]] const QString& text() const { return m_text; }
    [[nodiscard]] const QList<Attachment>& attachments() const { return m_attachments; }

    [[nodiscard]] static QString plainText(const QByteArray& message) { return MessageBody(message).text(); }

    // The raw message as text. Valid UTF-8 (ASCII included) is read as it is;
    // otherwise each line is read on its own: as UTF-8 when valid, else in the
    // charset last declared above it (the part's), else as Latin-1, so that raw
    // UTF-8 headers and a Latin-1 body both read right.
    [[nodiscard]] static QString sourceText(const QByteArray& message);

    // Undoes format=flowed (RFC 3676): soft line breaks joined, space-stuffing and
    // with delSp the space before a soft break removed; quoted lines keep their
    // depth as "> " marks. text has LF line ends.
    [[nodiscard]] static QString unflow(const QString& text, bool delSp);

private:
    QString m_text;
    QList<Attachment> m_attachments;
};

}  // namespace platform::mail

#pragma once
// The readable text of a whole message: the decoded text/plain part, or the text
// of the rendered HTML when the message has no plain part.
//
// The MIME structure is cut here and KMime decodes what it finds (header values,
// quoted-printable and base64): Content::parse() is slow on large bodies (it scans
// text for uuencoded blocks) and is silent about broken multiparts, which it turns
// into plain text. A multipart whose boundary is missing or wrong gets the boundary
// guessed from the first "--" line of its body, and failing that the body is shown
// as it is. CRLF messages go through KMime::CRLFtoLF first (KMime finds no body
// parts in CRLF text). Charsets Qt does not know, and text without a charset, are
// read as UTF-8 when valid and as Latin-1 otherwise.

#include <QByteArray>
#include <QString>

namespace platform::mail {

class MessageBody {
public:
    // message: the raw message, any line ends. Gives the text without trailing
    // white space; empty when the message carries no text part.
    [[nodiscard]] static QString plainText(const QByteArray& message);
    // The text of an HTML document as a reader sees it.
    [[nodiscard]] static QString htmlToText(const QString& html);
};

}  // namespace platform::mail

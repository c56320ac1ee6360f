#pragma once
// The readable text of a whole message: the decoded text/plain part, or the text
// of the rendered HTML when the message has no plain part.
//
// KMime is fed LF line ends (KMime::CRLFtoLF first: with CRLF it finds no body
// parts and the text comes back empty). A multipart whose boundary is missing or
// wrong is not reported by KMime: it simply has no parts. Then the boundary is
// guessed from the first "--" line of the body, and failing that the body is shown
// as it is. Charsets Qt does not know, and text without a charset, are read as
// UTF-8 when valid and as Latin-1 otherwise.

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

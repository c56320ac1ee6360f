#pragma once
// The header block of one message, read the way real mail needs it.
//
// A header block is the raw text before the first empty line. Lookups unfold the
// value of the first field of a name (compared without case). Unstructured text
// is decoded here (EncodedWords.h); address lists and dates go to KMime's header
// classes only for parsing, never through a KMime::Message: its accessors add
// empty headers when asked for absent ones unless passed false, and its
// messageID() drops identifiers without "<>" or without "@". 8-bit bytes that are
// not valid UTF-8 are Windows-1252, in text and addresses alike.
//
// Every decoded value (text, names, addresses, identifiers) carries no control
// characters: an encoded word may decode to CR, LF or any other C0 control, and a
// line break inside a name would split every list that holds it; each becomes a
// blank. A C1 control from an encoded word labelled Latin-1 ("It=92s") is the
// Windows-1252 character its sender meant (’).

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace platform::mail {

struct MailAddress {
    QString name;     // decoded display name, may be empty
    QString address;  // the address proper, may be empty for a bare display name

    // "Name <address>", or the bare address when there is no name.
    [[nodiscard]] QString display() const;
    friend bool operator==(const MailAddress&, const MailAddress&) = default;
};

class HeaderBlock {
public:
    HeaderBlock() = default;
    // block: the header lines with LF or CRLF line ends, without the empty line.
    explicit HeaderBlock(QByteArray block);

    [[nodiscard]] const QByteArray& raw() const { return m_block; }

    // The unfolded raw value of the first field called name, trimmed; none when absent.
    [[nodiscard]] std::optional<QByteArray> rawValue(const char* name) const;
    // Unstructured text (Subject and the like), RFC 2047 words decoded; empty when absent.
    [[nodiscard]] QString text(const char* name) const;
    // The unfolded raw values of every field called name, in order.
    [[nodiscard]] QList<QByteArray> rawValues(const char* name) const;
    // Every mailbox of every field called name (mail often carries two To or Cc
    // fields); groups give their members, an empty group nothing.
    [[nodiscard]] QList<MailAddress> addresses(const char* name) const;
    // addresses() of To, Cc and Bcc, in one pass over the block.
    [[nodiscard]] std::array<QList<MailAddress>, 3> recipients() const;
    // A date field; invalid when absent or unreadable.
    [[nodiscard]] QDateTime dateTime(const char* name) const;
    // A message identifier without its angle brackets, as written (no "@" needed).
    [[nodiscard]] QString identifier(const char* name) const;

    // The split point of a message: the length of the header block and the offset
    // where the body starts. When there is no empty line, everything is header.
    struct Split {
        qsizetype headerLength = 0;
        qsizetype bodyOffset = 0;
        bool complete = false;  // an empty line was found
    };
    [[nodiscard]] static Split split(const QByteArray& message);
    [[nodiscard]] static Split split(const char* data, qsizetype size);

    // The mailboxes of an address list written as text ("Ann Lee <ann@x.org>, bob@y").
    [[nodiscard]] static QList<MailAddress> parseAddressList(const QByteArray& value);
    // The same without the fast reader of everyday lists: item by item with
    // KMime. The two read every list alike; tests hold them to it.
    [[nodiscard]] static QList<MailAddress> parseAddressListItemByItem(const QByteArray& value);

    // UTF-8 when valid, Windows-1252 otherwise: how undeclared 8-bit text is read.
    // Windows-1252 is Latin-1 with quotes, dashes, the euro sign and a few more
    // where Latin-1 has control characters (bytes 128-159); 8-bit mail is written
    // in it in practice, labelled Latin-1 or not at all, and browsers read it so.
    [[nodiscard]] static QString decodeUndeclared(const QByteArray& bytes);
    // Text in the charset its part or encoded word names: UTF-8 as UTF-8 with
    // U+FFFD for bytes that are not (Windows-1252 when not one character is
    // UTF-8: the label is wrong); none, US-ASCII or one Qt does not know as
    // undeclared; Latin-1 as Windows-1252; any other by Qt's codec.
    [[nodiscard]] static QString decodeCharset(const QByteArray& bytes, QByteArray charset);
    [[nodiscard]] static QString decodeWindows1252(const char* data, qsizetype size);
    [[nodiscard]] static bool isValidUtf8(const QByteArray& bytes);
    // Windows-1252's character for the byte c (128-159), or 0 where it has none.
    [[nodiscard]] static char16_t windows1252(char16_t c);
    // The C1 control characters of text read as Latin-1 (U+0080-U+009F), as the
    // characters Windows-1252 has for their bytes; whether it found any.
    static bool readC1AsWindows1252(QString& text);
    // text with C1 control characters read as Windows-1252, and every control
    // character left (C0, DEL, a C1 without a Windows-1252 reading) as a blank.
    [[nodiscard]] static QString withoutControls(QString text);

private:
    QByteArray m_block;
};

}  // namespace platform::mail

#pragma once
// One message of the Maildir, as the mail application shows it.
//
// Reading is lazy and in two steps: the header properties read only the header
// block of the file (a subject costs no body decode), and the first body property
// (content, source) reads and parses the whole message with KMime. A file that
// was renamed since it was listed (its flags changed) is found again by its
// unique name; one that vanished or cannot be read answers with empty values,
// never an error. Every
// property answers for every input: broken messages give what can be read.
//
// What a message has read it keeps only while it is one of the last
// kKeptMessages messages of its thread to read their file: a script reads one
// message's properties together, so a few cover it, and walking 10,000 messages
// holds a few header blocks and bodies rather than all of them. A message read
// again reads its file again and so shows what is on disk then. A message is used
// and destroyed on one thread.

#include "platform/mail/HeaderBlock.h"
#include "platform/mail/MessageBody.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QVector>
#include <QString>

#include <cstddef>
#include <memory>
#include <optional>

namespace platform::mail {

class ReadAhead;

// Where a message lies: its folder ("INBOX", "Sent", ...), its Maildir unique name
// (the file name before ":2,"), its file and the flags of that file name.
struct MessageLocation {
    QString folder;
    QString uniqueName;
    QString path;
    QString flags;  // the letters after ":2,", e.g. "FS"
};
}  // namespace platform::mail
// Implicitly shared members only: a vector of locations moves them as bytes.
Q_DECLARE_TYPEINFO(platform::mail::MessageLocation, Q_MOVABLE_TYPE);
namespace platform::mail {

class MailMessage {
public:
    explicit MailMessage(MessageLocation location);
    ~MailMessage();
    MailMessage(const MailMessage&) = delete;
    MailMessage& operator=(const MailMessage&) = delete;

    static constexpr std::size_t kKeptMessages = 4;

    [[nodiscard]] const MessageLocation& location() const { return m_location; }

    [[nodiscard]] QString subject();
    [[nodiscard]] QString sender();   // "Name <address>" or the bare address
    [[nodiscard]] QString replyTo();  // the Reply-To addresses, else empty
    [[nodiscard]] QList<MailAddress> senderAddresses();
    [[nodiscard]] QList<MailAddress> replyToAddresses();
    [[nodiscard]] QList<MailAddress> toRecipients();
    [[nodiscard]] QList<MailAddress> ccRecipients();
    [[nodiscard]] QList<MailAddress> bccRecipients();
    // To, Cc and Bcc together, read in one pass.
    [[nodiscard]] std::array<QList<MailAddress>, 3> recipients();
    [[nodiscard]] QString messageId();   // without angle brackets
    [[nodiscard]] QString allHeaders();  // the raw header block
    [[nodiscard]] QByteArray rawHeaders();
    [[nodiscard]] QString content();     // decoded plain text, trailing white space removed
    [[nodiscard]] QList<Attachment> attachments();  // in the order of the message
    [[nodiscard]] QString source();      // the raw message
    [[nodiscard]] QByteArray rawSource();
    [[nodiscard]] QDateTime dateSent();  // invalid when the Date field is absent or unreadable
    [[nodiscard]] QDateTime dateReceived();
    [[nodiscard]] qint64 messageSize();
    [[nodiscard]] bool readStatus() const;
    [[nodiscard]] bool flaggedStatus() const;

    // The reader that reads this message, the index-th of its list, ahead of its
    // use; the message asks it once and reads for itself after that.
    void setReadAhead(std::shared_ptr<ReadAhead> reader, qsizetype index);

    // Whether the body has been parsed (for tests of the lazy reading).
    [[nodiscard]] bool bodyLoaded() const { return m_bodyLoaded; }

private:
    const HeaderBlock& header();
    // The whole file, read once; loadBody() also parses it into text and attachments.
    void loadSource();
    void loadBody();
    // Counts this message among the latest that keep what they read; the oldest
    // of them forgets.
    void keepRead();
    // Finds the file again when its name changed since the message was listed
    // (new flags, moved from new/ to cur/): the same unique name in cur/ or new/
    // of the same folder. Whether it found it.
    bool relocate();

    MessageLocation m_location;
    std::optional<HeaderBlock> m_header;
    bool m_sourceLoaded = false;
    bool m_bodyLoaded = false;
    QByteArray m_source;
    QString m_content;
    QList<Attachment> m_attachments;
    std::shared_ptr<ReadAhead> m_readAhead;
    qsizetype m_readAheadIndex = 0;
};

}  // namespace platform::mail

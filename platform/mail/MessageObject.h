#pragma once
// A message of application "Mail" as scripts see it: a reference that reads the
// Maildir only when a script asks for a property.
//
// properties  subject, sender, reply to, message id, id, all headers, content,
//             source, date sent, date received, message size, read status,
//             flagged status, mailbox
// elements    recipient (To, then Cc, then Bcc), to recipient, cc recipient,
//             bcc recipient (RecipientObject), mail attachment (AttachmentObject),
//             header (HeaderObject: name and content of each field, in the order
//             of the header block)
// The id of a message listed from a mailbox is assigned when a script first asks
// for it (MessageIds), so listing or filtering 10,000 messages writes no ids.
// Text properties are empty text when the message lacks the field; date sent is
// missing value when the Date field is absent or unreadable; dates are in the
// user's time zone.

#include "platform/applescript/Dictionary.h"
#include "platform/mail/LocationTable.h"
#include "platform/mail/MailMessage.h"

#include <QHash>

#include <memory>
#include <optional>

namespace platform::mail {

// The ids of a batch of messages, assigned together at the first ask.
class MessageIds {
public:
    explicit MessageIds(std::shared_ptr<const LocationTable> table) : m_table(std::move(table)) { }
    [[nodiscard]] qint64 idOf(const QString& uniqueName);

private:
    std::shared_ptr<const LocationTable> m_table;  // the messages, whose names are asked once
    std::optional<QHash<QString, qint64>> m_ids;
};

class MessageObject : public platform::applescript::Object {
public:
    MessageObject(std::shared_ptr<MailMessage> message, qint64 id);
    MessageObject(std::shared_ptr<MailMessage> message, std::shared_ptr<MessageIds> ids);

    [[nodiscard]] QString className() const override { return QStringLiteral("message"); }
    [[nodiscard]] QString describe() const override;
    [[nodiscard]] platform::applescript::Reply property(const QString& name) const override;
    [[nodiscard]] platform::applescript::Reply elements(const QString& className) const override;
    // "save" without a direct parameter saves this message.
    [[nodiscard]] platform::applescript::Reply command(const platform::applescript::CommandCall& call) override;
    [[nodiscard]] bool sameAs(const platform::applescript::Object& other) const override;

    [[nodiscard]] MailMessage& message() const { return *m_message; }
    [[nodiscard]] qint64 id() const;

private:
    std::shared_ptr<MailMessage> m_message;
    mutable qint64 m_id;
    mutable std::shared_ptr<MessageIds> m_ids;  // set while the id is not known yet
};

}  // namespace platform::mail

#pragma once
// A message of application "Mail" as scripts see it: a reference that reads the
// Maildir only when a script asks for a property.
//
// properties  subject, sender, reply to, message id, id, all headers, content,
//             source, date sent, date received, message size, read status,
//             flagged status, mailbox
// elements    recipient (To, then Cc, then Bcc), to recipient, cc recipient,
//             bcc recipient (RecipientObject), mail attachment (AttachmentObject)
// Text properties are empty text when the message lacks the field; date sent is
// missing value when the Date field is absent or unreadable; dates are in the
// user's time zone.

#include "platform/applescript/Dictionary.h"
#include "platform/mail/MailMessage.h"

#include <memory>

namespace platform::mail {

class MessageObject : public platform::applescript::Object {
public:
    MessageObject(std::shared_ptr<MailMessage> message, qint64 id);

    [[nodiscard]] QString className() const override { return QStringLiteral("message"); }
    [[nodiscard]] QString describe() const override;
    [[nodiscard]] platform::applescript::Reply property(const QString& name) const override;
    [[nodiscard]] platform::applescript::Reply elements(const QString& className) const override;
    // "save" without a direct parameter saves this message.
    [[nodiscard]] platform::applescript::Reply command(const platform::applescript::CommandCall& call) override;
    [[nodiscard]] bool sameAs(const platform::applescript::Object& other) const override;

    [[nodiscard]] MailMessage& message() const { return *m_message; }
    [[nodiscard]] qint64 id() const { return m_id; }

private:
    std::shared_ptr<MailMessage> m_message;
    qint64 m_id;
};

}  // namespace platform::mail

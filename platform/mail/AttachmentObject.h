#pragma once
// An attachment of a message (mail attachment): name (its file name) and file
// size (bytes after transfer decoding). Reading either reads the message body.

#include "platform/applescript/Dictionary.h"
#include "platform/mail/MessageBody.h"

namespace platform::mail {

class AttachmentObject : public platform::applescript::Object {
public:
    // owner describes the message in error messages, asked only when one is shown.
    AttachmentObject(Attachment attachment, std::shared_ptr<const platform::applescript::Object> owner);

    [[nodiscard]] QString className() const override { return QStringLiteral("mail attachment"); }
    [[nodiscard]] QString describe() const override;
    [[nodiscard]] platform::applescript::Reply property(const QString& name) const override;

private:
    Attachment m_attachment;
    std::shared_ptr<const platform::applescript::Object> m_owner;
};

}  // namespace platform::mail

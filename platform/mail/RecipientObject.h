#pragma once
// A recipient of a message: name (empty text when the address has no name) and
// address.

#include "platform/applescript/Dictionary.h"
#include "platform/mail/HeaderBlock.h"

#include <memory>

namespace platform::mail {

class RecipientObject : public platform::applescript::Object {
public:
    // owner describes the message in error messages, asked only when one is shown.
    RecipientObject(QString kind, MailAddress address, std::shared_ptr<const platform::applescript::Object> owner);

    [[nodiscard]] QString className() const override { return m_kind; }
    [[nodiscard]] QString describe() const override;
    [[nodiscard]] platform::applescript::Reply property(const QString& name) const override;

private:
    QString m_kind;  // "to recipient", "cc recipient" or "bcc recipient"
    MailAddress m_address;
    std::shared_ptr<const platform::applescript::Object> m_owner;
};

}  // namespace platform::mail

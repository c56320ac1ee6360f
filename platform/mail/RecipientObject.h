#pragma once
// A recipient of a message: name (empty text when the address has no name) and
// address.

#include "platform/applescript/Dictionary.h"
#include "platform/mail/HeaderBlock.h"

namespace platform::mail {

class RecipientObject : public platform::applescript::Object {
public:
    RecipientObject(QString kind, MailAddress address, QString owner);

    [[nodiscard]] QString className() const override { return m_kind; }
    [[nodiscard]] QString describe() const override;
    [[nodiscard]] platform::applescript::Reply property(const QString& name) const override;

private:
    QString m_kind;  // "to recipient", "cc recipient" or "bcc recipient"
    MailAddress m_address;
    QString m_owner;  // how the message reads in error messages
};

}  // namespace platform::mail

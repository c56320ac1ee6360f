#pragma once
// The mailbox (folder) of a message: name ("INBOX", "Sent", ...).

#include "platform/applescript/Dictionary.h"

namespace platform::mail {

class MailboxObject : public platform::applescript::Object {
public:
    explicit MailboxObject(QString name);

    [[nodiscard]] QString className() const override { return QStringLiteral("mailbox"); }
    [[nodiscard]] QString describe() const override;
    [[nodiscard]] platform::applescript::Reply property(const QString& name) const override;
    [[nodiscard]] bool sameAs(const platform::applescript::Object& other) const override;

private:
    QString m_name;
};

}  // namespace platform::mail

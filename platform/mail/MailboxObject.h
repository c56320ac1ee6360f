#pragma once
// A mailbox (Maildir++ folder) of application "Mail": name ("INBOX", "Sent", ...),
// unread count; elements: message, oldest delivery first, listed afresh at every ask.
// Listing reads no message file: a message's header is read when a script asks
// for one of its header properties, its body only for content and source.

#include "platform/applescript/Dictionary.h"

namespace platform::mail {

class MailboxObject : public platform::applescript::Object {
public:
    explicit MailboxObject(QString name);

    [[nodiscard]] QString className() const override { return QStringLiteral("mailbox"); }
    [[nodiscard]] QString describe() const override;
    [[nodiscard]] platform::applescript::Reply property(const QString& name) const override;
    [[nodiscard]] platform::applescript::Reply elements(const QString& className) const override;
    [[nodiscard]] bool sameAs(const platform::applescript::Object& other) const override;

private:
    QString m_name;
};

}  // namespace platform::mail

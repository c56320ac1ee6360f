#pragma once
// Application "Mail" for the script engine: the application object, its
// terminology and its commands.
//
// selection              the selected messages (MailState), found again in the
//                        mailbox the selection names, read afresh at every ask;
//                        {} when none
// inbox                  the top folder, mailbox "INBOX"
// mailbox (elements)     every Maildir++ folder (MailboxObject), by name:
//                        mailbox "Sent", matched without case
// extract name from t    the display name of the first address in t; the address
//                        itself when it has no name
// extract address from t the address of the first address in t; t trimmed when it
//                        holds none KMime can read
// save m in p as f       see MailSaveCommand.h

#include "platform/applescript/Dictionary.h"

namespace platform::mail {

class MailScriptApplication : public platform::applescript::Application {
public:
    [[nodiscard]] QString describe() const override { return QStringLiteral("application \"Mail\""); }
    [[nodiscard]] const platform::applescript::Terminology& terminology() const override;
    [[nodiscard]] platform::applescript::Reply property(const QString& name) const override;
    [[nodiscard]] platform::applescript::Reply elements(const QString& className) const override;
    [[nodiscard]] platform::applescript::Reply command(const platform::applescript::CommandCall& call) override;
};

}  // namespace platform::mail

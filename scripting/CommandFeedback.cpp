#include "scripting/CommandFeedback.h"

#include "platform/desktop/Log.h"
#include "platform/mail/MailState.h"
#include "platform/mail/Mailbox.h"
#include "platform/notifications/DesktopNotification.h"

namespace quorvell {

using platform::mail::Mailbox;
using platform::mail::MailboxLookup;

void tellPerson(const QString& summary, const QString& detail)
{
    platform::desktop::log(detail.isEmpty() ? summary : summary + QStringLiteral(": ") + detail);
    platform::notifications::showDesktopNotification({summary, detail, {}, {}});
}

void showResult(const QString& summary, const QString& actionLabel, std::function<void()> action)
{
    platform::notifications::showDesktopNotification({summary, {}, actionLabel, std::move(action)});
}

bool selectionReady()
{
    const MailboxLookup found = Mailbox::lookup();
    if (!found.problem.isEmpty()) {
        tellPerson(QStringLiteral("No mailbox"), found.problem);
        return false;
    }
    if (platform::mail::MailState().selection(Mailbox(found.root)).isEmpty()) {
        tellPerson(QStringLiteral("No messages selected"));
        return false;
    }
    return true;
}

void announceMailbox()
{
    const MailboxLookup found = Mailbox::lookup();
    if (!found.problem.isEmpty()) {
        tellPerson(QStringLiteral("No mailbox"), found.problem);
        return;
    }
    if (found.source == MailboxLookup::Source::Sample) {
        tellPerson(QStringLiteral("Showing the sample mailbox"),
            QStringLiteral("MAILDIR is not set and ~/Maildir does not exist, so the commands work on "
                           "the sample messages in %1")
                .arg(found.root));
    } else if (found.source == MailboxLookup::Source::None) {
        tellPerson(QStringLiteral("No mailbox"),
            QStringLiteral("MAILDIR is not set, ~/Maildir does not exist and no sample mailbox is installed"));
    }
}

}  // namespace quorvell

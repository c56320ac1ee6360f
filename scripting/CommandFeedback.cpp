#include "scripting/CommandFeedback.h"

#include "platform/desktop/Log.h"
#include "platform/mail/MailState.h"
#include "platform/mail/Mailbox.h"
#include "platform/notifications/DesktopNotification.h"

namespace quorvell {

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
    const platform::mail::MailState::Read read = platform::mail::MailState().read();
    if (!read.mailbox.problem.isEmpty()) {
        tellPerson(read.sourceKind == QLatin1String("thunderbird") ? QStringLiteral("Thunderbird's selection cannot be read")
                                                                    : QStringLiteral("No mailbox"),
                   read.mailbox.problem);
        return false;
    }
    if (read.selected == 0) {
        tellPerson(QStringLiteral("No messages selected"));
        return false;
    }
    // The rest is worked on; what is gone is told once, here.
    if (const qsizetype gone = read.gone(); gone > 0) {
        tellPerson(gone == 1 ? QStringLiteral("1 of %1 selected messages is no longer in the mailbox").arg(read.selected)
                             : QStringLiteral("%1 of %2 selected messages are no longer in the mailbox")
                                   .arg(gone)
                                   .arg(read.selected));
    }
    return read.messages->size() > 0;
}

void announceMailbox()
{
    const MailboxLookup found = platform::mail::MailState().mailbox();
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

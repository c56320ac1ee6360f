#include "platform/mail/MailLog.h"

namespace platform::mail {
Q_LOGGING_CATEGORY(lcMail, "quorvell.mail", QtWarningMsg)
}  // namespace platform::mail

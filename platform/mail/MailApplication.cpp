#include "platform/mail/MailApplication.h"

#include "platform/mail/MailScriptApplication.h"

#include <mutex>

namespace platform::mail {

void registerMailApplication()
{
    static std::once_flag once;
    std::call_once(once, [] {
        platform::applescript::registerApplication(QStringLiteral("Mail"),
                                                   std::make_shared<MailScriptApplication>());
    });
}

}  // namespace platform::mail

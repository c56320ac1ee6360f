#include "platform/mail/MailboxObject.h"

namespace platform::mail {

using platform::applescript::Reply;
using platform::applescript::Value;

MailboxObject::MailboxObject(QString name) : m_name(std::move(name)) {}

QString MailboxObject::describe() const
{
    return QStringLiteral("mailbox \"%1\" of application \"Mail\"").arg(m_name);
}

Reply MailboxObject::property(const QString& name) const
{
    if (name == QLatin1String("name"))
        return Value(m_name);
    return Reply::error(-1728);
}

bool MailboxObject::sameAs(const platform::applescript::Object& other) const
{
    const auto* mailbox = dynamic_cast<const MailboxObject*>(&other);
    return mailbox && mailbox->m_name == m_name;
}

}  // namespace platform::mail

#include "platform/mail/MailboxObject.h"

#include "platform/mail/MailState.h"
#include "platform/mail/Mailbox.h"
#include "platform/mail/MessageList.h"

#include <algorithm>

namespace platform::mail {

using platform::applescript::List;
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
    if (name == QLatin1String("unread count")) {
        const QVector<MessageLocation> found = Mailbox(MailState().mailbox().root).messages(m_name);
        return Value(static_cast<qint64>(std::count_if(found.begin(), found.end(), [](const MessageLocation& m) {
            return !m.flags.contains(QLatin1Char('S'));
        })));
    }
    return Reply::error(-1728);
}

Reply MailboxObject::elements(const QString& className) const
{
    if (className != QLatin1String("message"))
        return Reply::error(-1728);
    return Value::list(
        List::madeBy(std::make_shared<MessageList>(Mailbox(MailState().mailbox().root).messages(m_name))));
}

bool MailboxObject::sameAs(const platform::applescript::Object& other) const
{
    const auto* mailbox = dynamic_cast<const MailboxObject*>(&other);
    return mailbox && mailbox->m_name == m_name;
}

}  // namespace platform::mail

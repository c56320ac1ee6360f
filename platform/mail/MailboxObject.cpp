#include "platform/mail/MailboxObject.h"

#include "platform/mail/MailState.h"
#include "platform/mail/Mailbox.h"
#include "platform/mail/MessageObject.h"

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
    const QVector<MessageLocation> found = Mailbox(MailState().mailbox().root).messages(m_name);
    QStringList names;
    names.reserve(found.size());
    for (const MessageLocation& location : found)
        names.append(location.uniqueName);
    const auto ids = std::make_shared<MessageIds>(std::move(names));
    List items;
    items.reserve(static_cast<size_t>(found.size()));
    for (const MessageLocation& location : found)
        items.emplace_back(std::make_shared<MessageObject>(std::make_shared<MailMessage>(location), ids));
    return Value::list(std::move(items));
}

bool MailboxObject::sameAs(const platform::applescript::Object& other) const
{
    const auto* mailbox = dynamic_cast<const MailboxObject*>(&other);
    return mailbox && mailbox->m_name == m_name;
}

}  // namespace platform::mail

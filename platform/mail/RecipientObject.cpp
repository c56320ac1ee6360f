#include "platform/mail/RecipientObject.h"

namespace platform::mail {

using platform::applescript::Reply;
using platform::applescript::Value;

namespace {

QString quoted(const QString& text)
{
    return QStringLiteral("\u201C") + text + QStringLiteral("\u201D");
}

}  // namespace

RecipientObject::RecipientObject(QString kind, MailAddress address,
                                 std::shared_ptr<const platform::applescript::Object> owner)
    : m_kind(std::move(kind)), m_address(std::move(address)), m_owner(std::move(owner))
{
}

QString RecipientObject::describe() const
{
    return m_kind + QLatin1Char(' ') + quoted(m_address.address) + QStringLiteral(" of ") + m_owner->describe();
}

Reply RecipientObject::property(const QString& name) const
{
    if (name == QLatin1String("name"))
        return Value(m_address.name);
    if (name == QLatin1String("address"))
        return Value(m_address.address);
    return Reply::error(-1728);
}

}  // namespace platform::mail

#include "platform/mail/AttachmentObject.h"

namespace platform::mail {

using platform::applescript::Reply;
using platform::applescript::Value;

AttachmentObject::AttachmentObject(Attachment attachment, std::shared_ptr<const platform::applescript::Object> owner)
    : m_attachment(std::move(attachment)), m_owner(std::move(owner))
{
}

QString AttachmentObject::describe() const
{
    return QStringLiteral("mail attachment \u201C%1\u201D of %2").arg(m_attachment.name, m_owner->describe());
}

Reply AttachmentObject::property(const QString& name) const
{
    if (name == QLatin1String("name"))
        return Value(m_attachment.name);
    if (name == QLatin1String("file size"))
        return Value(m_attachment.size);
    return Reply::error(-1728);
}

}  // namespace platform::mail

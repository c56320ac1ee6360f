#include "platform/mail/MessageObject.h"

#include "platform/applescript/LargeText.h"
#include "platform/mail/AttachmentObject.h"
#include "platform/mail/MailSaveCommand.h"
#include "platform/mail/HeaderObject.h"
#include "platform/mail/MailState.h"
#include "platform/mail/MailboxObject.h"
#include "platform/mail/RecipientObject.h"

namespace platform::mail {

using platform::applescript::CommandCall;
using platform::applescript::List;
using platform::applescript::Reply;
using platform::applescript::Value;

namespace {

using Getter = Value (*)(MailMessage& message, qint64 id);

struct PropertyRow {
    const char* name;
    Getter get;
};

// Dates read in the user's time zone, as the mail reader shows them.
Value dateOrMissing(const QDateTime& date)
{
    return date.isValid() ? Value(date.toLocalTime()) : Value::missing();
}

// Raw mail as a script value: its bytes when they are valid UTF-8, which halves
// a large text and spares it a round trip through UTF-16 on its way to the
// clipboard; decoded as the source is otherwise.
Value rawText(const QByteArray& raw)
{
    return HeaderBlock::isValidUtf8(raw) ? Value::utf8Text(raw) : Value(MessageBody::sourceText(raw));
}

// Decoded text (header fields, the content), kept as UTF-8 for the same reasons:
// the copy commands join it straight into their text.
Value decodedText(const QString& text)
{
    return Value::utf8Text(platform::applescript::toUtf8Large(text));
}

// The message properties; names in the dictionary's canonical form.
constexpr PropertyRow kMessageProperties[] = {
    {"subject", [](MailMessage& m, qint64) { return decodedText(m.subject()); }},
    {"sender", [](MailMessage& m, qint64) { return decodedText(m.sender()); }},
    {"reply to", [](MailMessage& m, qint64) { return decodedText(m.replyTo()); }},
    {"message id", [](MailMessage& m, qint64) { return decodedText(m.messageId()); }},
    {"id", [](MailMessage&, qint64 id) { return Value(id); }},
    {"all headers", [](MailMessage& m, qint64) { return rawText(m.rawHeaders()); }},
    {"content", [](MailMessage& m, qint64) { return decodedText(m.content()); }},
    {"source", [](MailMessage& m, qint64) { return rawText(m.rawSource()); }},
    {"date sent", [](MailMessage& m, qint64) { return dateOrMissing(m.dateSent()); }},
    {"date received", [](MailMessage& m, qint64) { return dateOrMissing(m.dateReceived()); }},
    {"message size", [](MailMessage& m, qint64) { return Value(m.messageSize()); }},
    {"read status", [](MailMessage& m, qint64) { return Value(m.readStatus()); }},
    {"flagged status", [](MailMessage& m, qint64) { return Value(m.flaggedStatus()); }},
    {"mailbox",
     [](MailMessage& m, qint64) { return Value(std::make_shared<MailboxObject>(m.location().folder)); }},
};

}  // namespace

qint64 MessageIds::idOf(const QString& uniqueName)
{
    if (!m_ids)
        m_ids = MailState().ids(m_table->uniqueNames());
    return m_ids->value(uniqueName);
}

MessageObject::MessageObject(std::shared_ptr<MailMessage> message, qint64 id)
    : m_message(std::move(message)), m_id(id)
{
}

MessageObject::MessageObject(std::shared_ptr<MailMessage> message, std::shared_ptr<MessageIds> ids)
    : m_message(std::move(message)), m_id(0), m_ids(std::move(ids))
{
}

qint64 MessageObject::id() const
{
    if (m_ids) {
        m_id = m_ids->idOf(m_message->location().uniqueName);
        m_ids.reset();
    }
    return m_id;
}

QString MessageObject::describe() const
{
    return QStringLiteral("message id %1 of mailbox \"%2\" of application \"Mail\"")
        .arg(id())
        .arg(m_message->location().folder);
}

Reply MessageObject::property(const QString& name) const
{
    for (const PropertyRow& row : kMessageProperties) {
        if (name == QLatin1String(row.name))
            return row.get(*m_message, name == QLatin1String("id") ? id() : 0);
    }
    return Reply::error(-1728);
}

Reply MessageObject::elements(const QString& className) const
{
    // The owner is described only for an error message: describing gives the
    // message its id, which only a script that asks for one may cost.
    if (className == QLatin1String("mail attachment")) {
        const auto owner = std::make_shared<MessageObject>(*this);
        List items;
        const QList<Attachment> attachments = m_message->attachments();
        for (const Attachment& attachment : attachments)
            items.emplace_back(std::make_shared<AttachmentObject>(attachment, owner));
        return Value::list(std::move(items));
    }
    if (className == QLatin1String("header"))
        return HeaderObject::listOf(m_message->allHeaders(), std::make_shared<MessageObject>(*this));
    QList<std::pair<QString, QList<MailAddress>>> groups;
    if (className == QLatin1String("recipient")) {
        auto [to, cc, bcc] = m_message->recipients();
        groups = {{QStringLiteral("to recipient"), std::move(to)},
                  {QStringLiteral("cc recipient"), std::move(cc)},
                  {QStringLiteral("bcc recipient"), std::move(bcc)}};
    } else if (className == QLatin1String("to recipient")) {
        groups.append({QStringLiteral("to recipient"), m_message->toRecipients()});
    } else if (className == QLatin1String("cc recipient")) {
        groups.append({QStringLiteral("cc recipient"), m_message->ccRecipients()});
    } else if (className == QLatin1String("bcc recipient")) {
        groups.append({QStringLiteral("bcc recipient"), m_message->bccRecipients()});
    }
    if (groups.isEmpty())
        return Reply::error(-1728);
    const auto owner = std::make_shared<MessageObject>(*this);
    List items;
    for (const auto& [kind, addresses] : std::as_const(groups)) {
        for (const MailAddress& address : addresses)
            items.emplace_back(std::make_shared<RecipientObject>(kind, address, owner));
    }
    return Value::list(std::move(items));
}

Reply MessageObject::command(const CommandCall& call)
{
    if (call.name != QLatin1String("save"))
        return Reply::error(-1708);
    return MailSaveCommand::run(this, call);
}

bool MessageObject::sameAs(const platform::applescript::Object& other) const
{
    const auto* message = dynamic_cast<const MessageObject*>(&other);
    return message && message->m_message->location().uniqueName == m_message->location().uniqueName;
}

}  // namespace platform::mail

#include "MessageFinder.h"

#include "platform/mail/HeaderBlock.h"
#include "platform/mail/MailMessage.h"
#include "platform/mail/MessageIdIndex.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

using platform::mail::HeaderBlock;
using platform::mail::MailMessage;
using platform::mail::Mailbox;
using platform::mail::MessageLocation;

namespace quorvellmail {
namespace {

// "<id>", "id:id" and notmuch's quoted form id:"a b" all name the Message-ID "id".
std::optional<QString> messageIdOf(const QString& entry)
{
    if (entry.startsWith(QLatin1String("id:"))) {
        QString id = entry.mid(3);
        if (id.size() >= 2 && id.startsWith(QLatin1Char('"')) && id.endsWith(QLatin1Char('"')))
            id = id.mid(1, id.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
        return id;
    }
    if (entry.size() > 2 && entry.startsWith(QLatin1Char('<')) && entry.endsWith(QLatin1Char('>')))
        return entry.mid(1, entry.size() - 2);
    return std::nullopt;
}

QByteArray withoutFromLine(const QByteArray& message)
{
    if (!message.startsWith("From "))
        return message;
    const qsizetype end = message.indexOf('\n');
    return end < 0 ? QByteArray() : message.mid(end + 1);
}

// What stays of a message when a mail client pipes it: the sender, date and
// subject as written, and the body without carriage returns or trailing blanks
// (clients add a separator after each message and may drop or add other fields).
QByteArray contentKey(const QByteArray& message)
{
    const HeaderBlock::Split split = HeaderBlock::split(message);
    const HeaderBlock header(message.left(split.headerLength));
    QByteArray body = message.mid(split.bodyOffset);
    body.replace('\r', QByteArray());
    QByteArray key;
    for (const char* field : {"From", "Date", "Subject"})
        key += header.rawValue(field).value_or(QByteArray()) + '\0';
    key += body.trimmed();
    return QCryptographicHash::hash(key, QCryptographicHash::Sha1);
}

}  // namespace

MessageFinder::MessageFinder(const Mailbox& mailbox, const platform::mail::MailState& state)
    : m_mailbox(mailbox), m_state(state), m_index(mailbox.index())
{
}

std::optional<QString> MessageFinder::find(const QString& raw, QString* error)
{
    const QString entry = raw.trimmed();
    if (const auto id = messageIdOf(entry)) {
        if (const auto found = byMessageId(*id))
            return found;
        *error = QStringLiteral("no message with the Message-ID \"%1\" in %2").arg(entry, m_mailbox.root());
        return std::nullopt;
    }
    // A file is known by its unique name alone, without asking the file system: a
    // file renamed by a flag change since the client listed it is still found.
    const QString name = Mailbox::uniqueName(entry.mid(entry.lastIndexOf(QLatin1Char('/')) + 1));
    if (m_index.contains(name))
        return name;
    if (QFileInfo(entry).isFile()) {
        *error = QStringLiteral("%1 is not a message of the mailbox %2").arg(entry, m_mailbox.root());
        return std::nullopt;
    }
    bool isNumber = false;
    const qint64 number = entry.toLongLong(&isNumber);
    if (isNumber) {
        if (!m_numbers)
            m_numbers = m_state.namesById();
        const QString numbered = m_numbers->value(number);
        if (m_index.contains(numbered))
            return numbered;
    }
    if (const auto found = byMessageId(entry))
        return found;
    *error = QStringLiteral("no message with the file, unique name, number or Message-ID \"%1\" in %2")
                 .arg(entry, m_mailbox.root());
    return std::nullopt;
}

std::optional<QString> MessageFinder::findMessage(const QByteArray& piped, QString* error)
{
    const QByteArray message = withoutFromLine(piped);
    const HeaderBlock header(message.left(HeaderBlock::split(message).headerLength));
    const QString id = header.identifier("Message-ID");
    if (!id.isEmpty()) {
        if (const auto found = byMessageId(id))
            return found;
        *error = QStringLiteral("no message with the Message-ID \"%1\" in %2").arg(id, m_mailbox.root());
        return std::nullopt;
    }
    if (const auto found = byContent(message))
        return found;
    const QString subject = header.text("Subject");
    *error = QStringLiteral("no message like the one without Message-ID with the subject \"%1\" in %2")
                 .arg(subject, m_mailbox.root());
    return std::nullopt;
}

std::optional<QString> MessageFinder::byMessageId(const QString& id)
{
    if (!m_messageIds) {
        m_messageIds.emplace();
        m_messageIds->reserve(m_index.size());
        platform::mail::MessageIdIndex known(m_state.directory(), m_mailbox.root());
        known.keepOnly(m_index);
        for (const MessageLocation& location : std::as_const(m_index)) {
            const QString messageId = known.idOf(location);
            if (!messageId.isEmpty() && !m_messageIds->contains(messageId))
                m_messageIds->insert(messageId, location.uniqueName);
        }
        known.save();
    }
    const auto found = m_messageIds->constFind(id);
    return found == m_messageIds->constEnd() ? std::nullopt : std::optional<QString>(*found);
}

std::optional<QString> MessageFinder::byContent(const QByteArray& message)
{
    if (!m_contents) {
        m_contents.emplace();
        for (const MessageLocation& location : std::as_const(m_index)) {
            QFile file(location.path);
            if (file.open(QIODevice::ReadOnly))
                m_contents->insert(contentKey(file.readAll()), location.uniqueName);
        }
    }
    const auto found = m_contents->constFind(contentKey(message));
    return found == m_contents->constEnd() ? std::nullopt : std::optional<QString>(*found);
}

}  // namespace quorvellmail

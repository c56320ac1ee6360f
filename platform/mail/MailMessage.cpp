#include "platform/mail/MailMessage.h"

#include "platform/mail/MessageBody.h"

#include <QFile>
#include <QFileInfo>

namespace platform::mail {
namespace {

constexpr qint64 kHeaderChunk = 8192;

QString joinDisplay(const QList<MailAddress>& addresses)
{
    QStringList parts;
    for (const MailAddress& address : addresses)
        parts.append(address.display());
    return parts.join(QStringLiteral(", "));
}

}  // namespace

MailMessage::MailMessage(MessageLocation location) : m_location(std::move(location)) {}

const HeaderBlock& MailMessage::header()
{
    if (m_header)
        return *m_header;
    if (m_bodyLoaded) {
        m_header.emplace(m_source.left(HeaderBlock::split(m_source).headerLength));
        return *m_header;
    }
    // Read only as far as the empty line that ends the header block.
    QByteArray head;
    QFile file(m_location.path);
    if (file.open(QIODevice::ReadOnly)) {
        while (true) {
            const QByteArray chunk = file.read(kHeaderChunk);
            if (chunk.isEmpty())
                break;
            head += chunk;
            if (HeaderBlock::split(head).complete)
                break;
        }
    }
    m_header.emplace(head.left(HeaderBlock::split(head).headerLength));
    return *m_header;
}

void MailMessage::loadBody()
{
    if (m_bodyLoaded)
        return;
    m_bodyLoaded = true;
    QFile file(m_location.path);
    if (file.open(QIODevice::ReadOnly))
        m_source = file.readAll();
    MessageBody body(m_source);
    m_content = body.text();
    m_attachments = body.attachments();
}

QString MailMessage::subject()
{
    return header().text("Subject");
}

QList<MailAddress> MailMessage::senderAddresses()
{
    QList<MailAddress> from = header().addresses("From");
    if (from.isEmpty())
        from = header().addresses("Sender");
    return from;
}

QString MailMessage::sender()
{
    // One sender is the rule; a From field with several mailboxes shows them all.
    return joinDisplay(senderAddresses());
}

QList<MailAddress> MailMessage::replyToAddresses()
{
    return header().addresses("Reply-To");
}

QString MailMessage::replyTo()
{
    return joinDisplay(replyToAddresses());
}

QList<MailAddress> MailMessage::toRecipients()
{
    return header().addresses("To");
}

QList<MailAddress> MailMessage::ccRecipients()
{
    return header().addresses("Cc");
}

QList<MailAddress> MailMessage::bccRecipients()
{
    return header().addresses("Bcc");
}

QString MailMessage::messageId()
{
    return header().identifier("Message-ID");
}

QString MailMessage::allHeaders()
{
    // Decoded as the source is, so that the source starts with these lines.
    return MessageBody::sourceText(header().raw());
}

QString MailMessage::content()
{
    loadBody();
    return m_content;
}

QList<Attachment> MailMessage::attachments()
{
    loadBody();
    return m_attachments;
}

QString MailMessage::source()
{
    loadBody();
    return MessageBody::sourceText(m_source);
}

QDateTime MailMessage::dateSent()
{
    return header().dateTime("Date");
}

QDateTime MailMessage::dateReceived()
{
    // Maildir names begin with the delivery time in seconds; files named otherwise
    // fall back to their modification time.
    const QString seconds = m_location.uniqueName.section(QLatin1Char('.'), 0, 0);
    bool ok = false;
    const qint64 value = seconds.toLongLong(&ok);
    if (ok && value > 0)
        return QDateTime::fromSecsSinceEpoch(value);
    return QFileInfo(m_location.path).lastModified();
}

qint64 MailMessage::messageSize()
{
    if (m_bodyLoaded)
        return m_source.size();
    return QFileInfo(m_location.path).size();
}

bool MailMessage::readStatus() const
{
    return m_location.flags.contains(QLatin1Char('S'));
}

bool MailMessage::flaggedStatus() const
{
    return m_location.flags.contains(QLatin1Char('F'));
}

}  // namespace platform::mail

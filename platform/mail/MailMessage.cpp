#include "platform/mail/MailMessage.h"

#include "platform/mail/MessageBody.h"
#include "platform/mail/ReadAhead.h"

#include "platform/mail/MailLog.h"
#include "platform/mail/Mailbox.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <utility>

namespace platform::mail {
namespace {

QString joinDisplay(const QList<MailAddress>& addresses)
{
    QStringList parts;
    for (const MailAddress& address : addresses)
        parts.append(address.display());
    return parts.join(QStringLiteral(", "));
}

// The messages of this thread that hold what they read, the latest first.
thread_local std::array<MailMessage*, MailMessage::kKeptMessages> t_keeping{};

}  // namespace

MailMessage::MailMessage(MessageLocation location) : m_location(std::move(location)) {}

MailMessage::~MailMessage()
{
    const auto at = std::find(t_keeping.begin(), t_keeping.end(), this);
    if (at != t_keeping.end())
        *at = nullptr;
}

void MailMessage::keepRead()
{
    if (std::find(t_keeping.begin(), t_keeping.end(), this) != t_keeping.end())
        return;
    MailMessage* oldest = t_keeping.back();
    std::rotate(t_keeping.begin(), t_keeping.end() - 1, t_keeping.end());
    t_keeping.front() = this;
    if (oldest) {
        oldest->m_header.reset();
        oldest->m_sourceLoaded = false;
        oldest->m_bodyLoaded = false;
        oldest->m_source = QByteArray();
        oldest->m_content = QString();
        oldest->m_attachments.clear();
    }
}

bool MailMessage::relocate()
{
    const QString& path = m_location.path;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0 || m_location.uniqueName.isEmpty() || QFileInfo::exists(path))
        return false;
    const QString folder = path.left(path.lastIndexOf(QLatin1Char('/'), slash - 1));
    for (const QString& sub : {QStringLiteral("/cur"), QStringLiteral("/new")}) {
        QDirIterator files(folder + sub, QDir::Files | QDir::System | QDir::Hidden);
        while (files.hasNext()) {
            files.next();
            const QString name = files.fileName();
            if (Mailbox::uniqueName(name) != m_location.uniqueName)
                continue;
            m_location.path = files.filePath();
            m_location.flags = Mailbox::flags(name).toString();
            qCInfo(lcMail, "A message renamed since it was listed is read from its new name");
            return true;
        }
    }
    return false;
}

const HeaderBlock& MailMessage::header()
{
    if (m_header)
        return *m_header;
    if (m_sourceLoaded) {
        m_header.emplace(m_source.left(HeaderBlock::split(m_source).headerLength));
        return *m_header;
    }
    const auto reader = std::exchange(m_readAhead, nullptr);
    QByteArray block = reader ? reader->take(m_readAheadIndex, ReadAhead::Part::Header)
                              : ReadAhead::readHeader(m_location.path);
    if (block.isEmpty() && relocate())
        block = ReadAhead::readHeader(m_location.path);
    m_header.emplace(std::move(block));
    keepRead();
    return *m_header;
}

void MailMessage::loadSource()
{
    if (m_sourceLoaded)
        return;
    m_sourceLoaded = true;
    keepRead();
    const auto reader = std::exchange(m_readAhead, nullptr);
    m_source = reader ? reader->take(m_readAheadIndex, ReadAhead::Part::Source)
                      : ReadAhead::readSource(m_location.path);
    if (m_source.isEmpty() && relocate())
        m_source = ReadAhead::readSource(m_location.path);
}

void MailMessage::setReadAhead(std::shared_ptr<ReadAhead> reader, qsizetype index)
{
    m_readAhead = std::move(reader);
    m_readAheadIndex = index;
}

void MailMessage::loadBody()
{
    if (m_bodyLoaded)
        return;
    loadSource();
    m_bodyLoaded = true;
    MessageBody body(m_source);
    m_content = body.text();
    m_attachments = body.attachments();
    // A large message's bytes are not kept beside its text (which takes twice
    // their size): a script that asks for its source too reads the file again.
    constexpr qsizetype kLargestKeptSource = 1024 * 1024;
    if (m_source.size() > kLargestKeptSource) {
        m_source = QByteArray();
        m_sourceLoaded = false;
    }
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

std::array<QList<MailAddress>, 3> MailMessage::recipients()
{
    return header().recipients();
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

QByteArray MailMessage::rawHeaders()
{
    return header().raw();
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
    return MessageBody::sourceText(rawSource());
}

QByteArray MailMessage::rawSource()
{
    loadSource();
    return m_source;
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
    if (m_sourceLoaded)
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

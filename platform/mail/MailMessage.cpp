#include "platform/mail/MailMessage.h"

#include "platform/mail/MessageBody.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace platform::mail {
namespace {

// One read of this size holds the header block of nearly all mail; a longer
// block takes further reads of the same size.
constexpr qsizetype kHeaderChunk = 8192;

// Whether a line break followed by an empty line starts in [from, size) of data;
// from > 0 (the start of a block is split()'s to judge). Only the new bytes of a
// read are looked at, so a long file without an empty line costs one pass.
bool holdsBlankLine(const char* data, qsizetype from, qsizetype size)
{
    for (const char* at = data + from; at < data + size;) {
        const auto* lf = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(data + size - at)));
        if (!lf)
            return false;
        const qsizetype next = lf + 1 - data;
        if ((next < size && data[next] == '\n')
            || (next + 1 < size && data[next] == '\r' && data[next + 1] == '\n'))
            return true;
        at = lf + 1;
    }
    return false;
}

// The header block of the file at path, read only as far as the empty line that
// ends it; empty when the file cannot be read. Plain system calls: the message
// is read once, straight into the buffer, with no stat and no read beyond.
QByteArray readHeaderBlock(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    // One buffer per thread for every message read: no allocation per message.
    thread_local std::vector<char> head;
    qsizetype filled = 0;
    for (;;) {
        if (head.size() < static_cast<size_t>(filled + kHeaderChunk))
            head.resize(static_cast<size_t>(filled + kHeaderChunk));
        const ssize_t got = ::read(fd, head.data() + filled, static_cast<size_t>(kHeaderChunk));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        const qsizetype from = filled;
        filled += got;
        const bool complete = from == 0 ? HeaderBlock::split(head.data(), filled).complete
                                        : holdsBlankLine(head.data(), std::max<qsizetype>(1, from - 2), filled);
        if (complete)
            break;
    }
    ::close(fd);
    const HeaderBlock::Split split = HeaderBlock::split(head.data(), filled);
    // A copy of exactly the block's size: the message keeps it while it lives.
    QByteArray block(head.data(), split.headerLength);
    if (head.size() > static_cast<size_t>(4 * kHeaderChunk))
        std::vector<char>().swap(head);  // a rare long block gives its memory back
    return block;
}

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
        oldest->m_bodyLoaded = false;
        oldest->m_source = QByteArray();
        oldest->m_content = QString();
    }
}

const HeaderBlock& MailMessage::header()
{
    if (m_header)
        return *m_header;
    if (m_bodyLoaded) {
        m_header.emplace(m_source.left(HeaderBlock::split(m_source).headerLength));
        return *m_header;
    }
    m_header.emplace(readHeaderBlock(m_location.path));
    keepRead();
    return *m_header;
}

void MailMessage::loadBody()
{
    if (m_bodyLoaded)
        return;
    m_bodyLoaded = true;
    keepRead();
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

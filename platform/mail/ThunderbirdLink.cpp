#include "platform/mail/ThunderbirdLink.h"

#include "platform/mail/NativeFrames.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform::mail {

QString thunderbirdRuntimeFolder()
{
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (base.isEmpty() || !QDir::isAbsolutePath(base) || !QFileInfo(base).isDir()) {
        base = qEnvironmentVariable("XDG_STATE_HOME");
        if (base.isEmpty() || !QDir::isAbsolutePath(base))
            base = QDir::homePath() + QStringLiteral("/.local/state");
    }
    const QString folder = base + QStringLiteral("/quorvell");
    if (!QFileInfo(folder).isDir()) {
        QDir().mkpath(folder);
        ::chmod(QFile::encodeName(folder).constData(), 0700);
    }
    return folder;
}

QString thunderbirdEndpoint()
{
    return thunderbirdRuntimeFolder() + QStringLiteral("/thunderbird.socket");
}

ThunderbirdLink::ThunderbirdLink(QString endpoint) : m_endpoint(std::move(endpoint)) {}

ThunderbirdLink::~ThunderbirdLink()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

bool ThunderbirdLink::open()
{
    const QByteArray path = QFile::encodeName(m_endpoint);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address.sun_path)) {
        m_error = QStringLiteral("the path %1 is too long for a socket").arg(m_endpoint);
        return false;
    }
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    m_socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_socket < 0 || ::connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        m_error = QStringLiteral("Thunderbird is not running with the Quorvell extension, or its helper "
                                 "stopped (nothing answers at %1)")
                      .arg(m_endpoint);
        return false;
    }
    return true;
}

bool ThunderbirdLink::exchange(QByteArray out, qsizetype answers,
                               const std::function<bool(const QJsonObject&)>& onAnswer)
{
    if (m_socket < 0 && !open())
        return false;
    native::FrameReader reader(native::kMaxMessageFrame);
    QElapsedTimer clock;
    clock.start();
    qsizetype written = 0;
    char chunk[64 * 1024];
    while (answers > 0) {
        const qint64 left = ThunderbirdLink::kTotalMs - clock.elapsed();
        if (left <= 0) {
            m_error = QStringLiteral("Thunderbird took more than %1 s").arg(kTotalMs / 1000);
            return false;
        }
        pollfd fd{m_socket, short(POLLIN | (written < out.size() ? POLLOUT : 0)), 0};
        const int ready = ::poll(&fd, 1, int(std::min<qint64>(kQuietMs, left)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            m_error = QStringLiteral("Thunderbird did not answer within %1 s").arg(kQuietMs / 1000);
            return false;
        }
        if (ready < 0 || (fd.revents & (POLLERR | POLLNVAL))) {
            m_error = QStringLiteral("the line to Thunderbird broke");
            return false;
        }
        if (fd.revents & POLLOUT) {
            const ssize_t sent = ::send(m_socket, out.constData() + written, size_t(out.size() - written), MSG_NOSIGNAL);
            if (sent < 0 && errno != EAGAIN && errno != EINTR) {
                m_error = QStringLiteral("Thunderbird's helper went away");
                return false;
            }
            written += std::max<ssize_t>(sent, 0);
        }
        if (!(fd.revents & (POLLIN | POLLHUP)))
            continue;
        const ssize_t got = ::recv(m_socket, chunk, sizeof chunk, 0);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (got <= 0) {
            m_error = QStringLiteral("Thunderbird's helper went away before it answered (Thunderbird closed?)");
            return false;
        }
        reader.feed(chunk, got);
        QByteArray frame;
        native::FrameReader::Status status;
        while ((status = reader.next(&frame)) == native::FrameReader::Status::Frame) {
            const native::ParsedFrame parsed = native::parseFrame(frame);
            if (!parsed.object) {
                m_error = QStringLiteral("Thunderbird's helper sent %1").arg(parsed.error);
                return false;
            }
            if (!onAnswer(*parsed.object))
                return false;
            --answers;
        }
        if (status == native::FrameReader::Status::Broken) {
            m_error = QStringLiteral("Thunderbird's helper sent %1").arg(reader.error());
            return false;
        }
    }
    return true;
}

std::optional<ThunderbirdSelection> ThunderbirdLink::selection()
{
    const qint64 id = m_nextId++;
    ThunderbirdSelection result;
    const bool ok = exchange(native::encodeFrame({{QStringLiteral("id"), id}, {QStringLiteral("request"), QStringLiteral("selection")}}), 1,
        [&](const QJsonObject& answer) {
            if (native::wholeNumber(answer, "id") != id) {
                m_error = QStringLiteral("Thunderbird's helper answered another question");
                return false;
            }
            if (answer.contains(QLatin1String("error"))) {
                m_error = QStringLiteral("Thunderbird could not tell its selection: %1")
                              .arg(answer.value(QLatin1String("error")).toString());
                return false;
            }
            result.mailTab = answer.value(QLatin1String("mailTab")).toBool();
            const QJsonArray messages = answer.value(QLatin1String("messages")).toArray();
            result.messages.reserve(messages.size());
            for (const QJsonValue& value : messages) {
                const QJsonObject message = value.toObject();
                const std::optional<qint64> number = native::wholeNumber(message, "id");
                if (!number) {
                    m_error = QStringLiteral("Thunderbird named a selected message without its number");
                    return false;
                }
                QString messageId = message.value(QLatin1String("messageId")).toString();
                if (messageId.startsWith(QLatin1Char('<')) && messageId.endsWith(QLatin1Char('>')))
                    messageId = messageId.mid(1, messageId.size() - 2);
                QString flags;
                if (message.value(QLatin1String("flagged")).toBool())
                    flags += QLatin1Char('F');
                if (message.value(QLatin1String("read")).toBool())
                    flags += QLatin1Char('S');
                result.messages.append({*number, messageId, message.value(QLatin1String("folder")).toString(), flags});
            }
            return true;
        });
    if (!ok)
        return std::nullopt;
    return result;
}

bool ThunderbirdLink::fetch(const QVector<ThunderbirdMessage>& messages,
                            const std::function<bool(qsizetype, const QByteArray&)>& got)
{
    if (messages.isEmpty())
        return true;
    const qint64 first = m_nextId;
    QByteArray out;
    for (const ThunderbirdMessage& message : messages) {
        out += native::encodeFrame({{QStringLiteral("id"), m_nextId++},
                                    {QStringLiteral("request"), QStringLiteral("raw")},
                                    {QStringLiteral("message"), message.id}});
    }
    QVector<bool> answered(messages.size(), false);
    return exchange(std::move(out), messages.size(), [&](const QJsonObject& answer) {
        const std::optional<qint64> id = native::wholeNumber(answer, "id");
        if (!id || *id < first || *id >= m_nextId || answered.at(qsizetype(*id - first))) {
            m_error = QStringLiteral("Thunderbird's helper answered another question");
            return false;
        }
        const qsizetype index = qsizetype(*id - first);
        answered[index] = true;
        const ThunderbirdMessage& message = messages.at(index);
        const QString which = message.messageId.isEmpty()
            ? QStringLiteral("a message in %1").arg(message.folder)
            : QStringLiteral("the message <%1> in %2").arg(message.messageId, message.folder);
        const QJsonValue raw = answer.value(QLatin1String("raw"));
        if (!raw.isString()) {
            const QString why = answer.value(QLatin1String("error")).toString();
            m_error = QStringLiteral("Thunderbird could not give %1: %2")
                          .arg(which, why.isEmpty() ? QStringLiteral("no reason given") : why);
            return false;
        }
        const auto decoded = QByteArray::fromBase64Encoding(raw.toString().toLatin1(),
                                                            QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) {
            m_error = QStringLiteral("Thunderbird gave %1 in a form that cannot be read").arg(which);
            return false;
        }
        return got(index, *decoded);
    });
}

}  // namespace platform::mail

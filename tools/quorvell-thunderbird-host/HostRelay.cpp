#include "tools/quorvell-thunderbird-host/HostRelay.h"

#include <QJsonArray>
#include <QJsonObject>

namespace quorvell::host {

using platform::mail::native::encodeFrame;
using platform::mail::native::FrameReader;
using platform::mail::native::kMaxRequestFrame;
using platform::mail::native::parseFrame;
using platform::mail::native::wholeNumber;

namespace {

QJsonObject errorAnswer(const QJsonValue& id, const QString& why)
{
    return {{QStringLiteral("id"), id}, {QStringLiteral("error"), why}};
}

// The selection answer rebuilt from its checked fields; none when it has not the
// shape of one.
std::optional<QJsonObject> checkedSelection(const QJsonObject& answer)
{
    const QJsonValue mailTab = answer.value(QLatin1String("mailTab"));
    const QJsonValue messages = answer.value(QLatin1String("messages"));
    if (!mailTab.isBool() || !messages.isArray())
        return std::nullopt;
    QJsonArray rebuilt;
    for (const QJsonValue& value : messages.toArray()) {
        const QJsonObject message = value.toObject();
        const std::optional<qint64> id = wholeNumber(message, "id");
        if (!value.isObject() || !id)
            return std::nullopt;
        QJsonObject kept{{QStringLiteral("id"), double(*id)}};
        for (const char* text : {"messageId", "folder"}) {
            const QJsonValue field = message.value(QLatin1String(text));
            if (!field.isUndefined() && !field.isString())
                return std::nullopt;
            kept.insert(QLatin1String(text), field.toString());
        }
        for (const char* flag : {"read", "flagged"})
            kept.insert(QLatin1String(flag), message.value(QLatin1String(flag)).toBool());
        rebuilt.append(kept);
    }
    return QJsonObject{{QStringLiteral("mailTab"), mailTab}, {QStringLiteral("messages"), rebuilt}};
}

}  // namespace

void HostRelay::fromExtension(const char* data, qsizetype size, qint64 nowMs)
{
    m_extension.feed(data, size);
    QByteArray frame;
    FrameReader::Status status;
    while ((status = m_extension.next(&frame)) == FrameReader::Status::Frame)
        extensionFrame(frame);
    if (status == FrameReader::Status::Broken) {
        m_sink.log(QStringLiteral("stopping: Thunderbird sent %1").arg(m_extension.error()));
        m_sink.stop();
    }
    expire(nowMs);
}

void HostRelay::extensionFrame(const QByteArray& text)
{
    const platform::mail::native::ParsedFrame parsed = parseFrame(text);
    if (!parsed.object) {
        m_sink.log(QStringLiteral("refused from Thunderbird: %1").arg(parsed.error));
        m_sink.toExtension(encodeFrame({{QStringLiteral("type"), QStringLiteral("error")},
                                        {QStringLiteral("error"), parsed.error}}));
        return;
    }
    const QJsonObject& object = *parsed.object;
    const QString type = object.value(QLatin1String("type")).toString();
    if (type == QLatin1String("hello")) {
        m_sink.log(QStringLiteral("Thunderbird's extension is connected"));
        return;
    }
    if (type == QLatin1String("selected")) {
        if (object.value(QLatin1String("mailTab")).toBool())
            m_sink.selectedInThunderbird();
        return;
    }
    const std::optional<qint64> id = wholeNumber(object, "id");
    const auto pending = id ? m_pending.constFind(*id) : m_pending.constEnd();
    if (!type.isEmpty() || pending == m_pending.constEnd()) {
        const QString why = type.isEmpty() ? QStringLiteral("an answer to no open request")
                                           : QStringLiteral("unknown request \"%1\"").arg(type.left(40));
        m_sink.log(QStringLiteral("refused from Thunderbird: %1").arg(why));
        m_sink.toExtension(encodeFrame({{QStringLiteral("type"), QStringLiteral("error")}, {QStringLiteral("error"), why}}));
        return;
    }
    const Pending request = *pending;
    m_pending.erase(pending);
    --m_pendingOf[request.client];
    const QJsonValue clientId = double(request.clientId);
    QJsonObject answer;
    if (const QJsonValue error = object.value(QLatin1String("error")); error.isString()) {
        answer = errorAnswer(clientId, error.toString().left(500));
    } else if (request.request == Request::Raw && object.value(QLatin1String("raw")).isString()) {
        answer = {{QStringLiteral("id"), clientId}, {QStringLiteral("raw"), object.value(QLatin1String("raw"))}};
    } else if (const auto selection = request.request == Request::Selection ? checkedSelection(object) : std::nullopt) {
        answer = *selection;
        answer.insert(QStringLiteral("id"), clientId);
    } else {
        answer = errorAnswer(clientId, QStringLiteral("Thunderbird's extension answered in a form this host does not know"));
    }
    m_sink.toClient(request.client, encodeFrame(answer));
}

void HostRelay::fromClient(int client, const char* data, qsizetype size, qint64 nowMs)
{
    FrameReader& reader = m_clients.try_emplace(client, kMaxRequestFrame).first->second;
    reader.feed(data, size);
    QByteArray frame;
    FrameReader::Status status;
    while ((status = reader.next(&frame)) == FrameReader::Status::Frame)
        clientFrame(client, frame, nowMs);
    if (status == FrameReader::Status::Broken) {
        refuse(client, QJsonValue::Null, reader.error());
        m_sink.closeClient(client);
        clientClosed(client);
    }
}

void HostRelay::clientFrame(int client, const QByteArray& text, qint64 nowMs)
{
    const platform::mail::native::ParsedFrame parsed = parseFrame(text);
    if (!parsed.object) {
        refuse(client, QJsonValue::Null, parsed.error);
        return;
    }
    const QJsonObject& object = *parsed.object;
    const std::optional<qint64> clientId = wholeNumber(object, "id");
    if (!clientId) {
        refuse(client, QJsonValue::Null, QStringLiteral("a request without a whole number as its \"id\""));
        return;
    }
    const QString name = object.value(QLatin1String("request")).toString();
    QJsonObject forward{{QStringLiteral("request"), name}};
    Request request = Request::Selection;
    if (name == QLatin1String("raw")) {
        const std::optional<qint64> message = wholeNumber(object, "message");
        if (!message) {
            refuse(client, double(*clientId), QStringLiteral("\"raw\" without a message number"));
            return;
        }
        forward.insert(QStringLiteral("message"), double(*message));
        request = Request::Raw;
    } else if (name != QLatin1String("selection")) {
        refuse(client, double(*clientId), QStringLiteral("unknown request \"%1\"").arg(name.left(40)));
        return;
    }
    if (m_pendingOf.value(client) >= kMaxPendingPerClient) {
        refuse(client, double(*clientId), QStringLiteral("too many requests at once"));
        return;
    }
    const qint64 id = m_nextId++;
    forward.insert(QStringLiteral("id"), double(id));
    m_pending.insert(id, {client, *clientId, request, nowMs});
    ++m_pendingOf[client];
    m_sink.toExtension(encodeFrame(forward));
}

void HostRelay::refuse(int client, const QJsonValue& id, const QString& why)
{
    m_sink.log(QStringLiteral("refused a request: %1").arg(why));
    m_sink.toClient(client, encodeFrame(errorAnswer(id, why)));
}

void HostRelay::clientClosed(int client)
{
    m_clients.erase(client);
    m_pendingOf.remove(client);
    for (auto it = m_pending.begin(); it != m_pending.end();)
        it = it->client == client ? m_pending.erase(it) : std::next(it);
}

void HostRelay::expire(qint64 nowMs)
{
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (nowMs - it->since < kPendingMs) {
            ++it;
            continue;
        }
        const Pending late = *it;
        it = m_pending.erase(it);
        --m_pendingOf[late.client];
        m_sink.toClient(late.client, encodeFrame(errorAnswer(double(late.clientId),
            QStringLiteral("Thunderbird's extension did not answer within %1 s").arg(kPendingMs / 1000))));
    }
}

}  // namespace quorvell::host

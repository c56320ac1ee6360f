#include "platform/mail/NativeFrames.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

#include <cmath>
#include <cstring>

namespace platform::mail::native {

FrameReader::Status FrameReader::next(QByteArray* frame)
{
    if (!m_error.isEmpty())
        return Status::Broken;
    if (pending() < qsizetype(sizeof(std::uint32_t)))
        return Status::NeedMore;
    std::uint32_t length = 0;
    std::memcpy(&length, m_buffer.constData() + m_start, sizeof length);
    if (length == 0 || length > m_limit) {
        m_error = length == 0 ? QStringLiteral("a frame of length 0")
                              : QStringLiteral("a frame of %1 bytes, more than the %2 allowed").arg(length).arg(m_limit);
        m_buffer.clear();
        m_start = 0;
        return Status::Broken;
    }
    if (pending() - qsizetype(sizeof length) < qsizetype(length))
        return Status::NeedMore;
    *frame = m_buffer.mid(m_start + qsizetype(sizeof length), qsizetype(length));
    m_start += qsizetype(sizeof length) + qsizetype(length);
    // Drop what was read once it is most of the buffer, so a long stream of
    // small frames costs no quadratic copying.
    if (m_start > m_buffer.size() / 2) {
        m_buffer.remove(0, m_start);
        m_start = 0;
    }
    return Status::Frame;
}

ParsedFrame parseFrame(const QByteArray& text)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        return {std::nullopt, QStringLiteral("not JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset)};
    if (!document.isObject())
        return {std::nullopt, QStringLiteral("not a JSON object")};
    return {document.object(), {}};
}

QByteArray encodeFrame(const QJsonObject& object)
{
    const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Compact);
    const auto length = std::uint32_t(text.size());
    QByteArray frame(qsizetype(sizeof length), Qt::Uninitialized);
    std::memcpy(frame.data(), &length, sizeof length);
    return frame + text;
}

std::optional<qint64> wholeNumber(const QJsonObject& object, const char* field)
{
    const QJsonValue value = object.value(QLatin1String(field));
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    constexpr double kLargestExact = 9007199254740992.0;  // 2^53
    if (!std::isfinite(number) || number < 0 || number > kLargestExact || std::floor(number) != number)
        return std::nullopt;
    return qint64(number);
}

}  // namespace platform::mail::native

#pragma once
// Frames of the native messaging protocol, as Thunderbird speaks it with a
// native host: a 32-bit length in the machine's byte order, then that many bytes
// of UTF-8 JSON holding one object. The host speaks the same frames with the app,
// so one reader checks what comes from either side.
//
// The reader trusts nothing: a length of 0 or above the reader's limit breaks the
// stream for good (there is no way to find the next frame again), and a frame
// whose text is not one JSON object is refused with the reason, without breaking
// the stream.

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <optional>

namespace platform::mail::native {

// What the app may send the host: small requests only.
constexpr std::uint32_t kMaxRequestFrame = 64 * 1024;
// What the extension may send the host, and the host the app: one message in
// base64 (a raw message of up to 48 MiB) with a few fields around it.
constexpr std::uint32_t kMaxMessageFrame = 66 * 1024 * 1024;

class FrameReader {
public:
    explicit FrameReader(std::uint32_t limit) : m_limit(limit) {}

    void feed(const char* data, qsizetype size) { m_buffer.append(data, size); }

    enum class Status { NeedMore, Frame, Broken };
    // The next whole frame's text in *frame. Broken, also at every later call,
    // once a length was 0 or above the limit; error() then says which.
    [[nodiscard]] Status next(QByteArray* frame);
    [[nodiscard]] const QString& error() const { return m_error; }
    // Bytes of an unfinished frame: a stream that ends here was cut off.
    [[nodiscard]] qsizetype pending() const { return m_buffer.size() - m_start; }

private:
    std::uint32_t m_limit;
    QByteArray m_buffer;
    qsizetype m_start = 0;
    QString m_error;
};

// The frame's text as one JSON object, or why it is none.
struct ParsedFrame {
    std::optional<QJsonObject> object;
    QString error;
};
[[nodiscard]] ParsedFrame parseFrame(const QByteArray& text);

// The frame that carries this object.
[[nodiscard]] QByteArray encodeFrame(const QJsonObject& object);

// A field that must be a whole number from 0 to 2^53 (what JSON carries exactly).
[[nodiscard]] std::optional<qint64> wholeNumber(const QJsonObject& object, const char* field);

}  // namespace platform::mail::native

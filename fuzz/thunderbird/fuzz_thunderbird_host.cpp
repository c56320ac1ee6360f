// Arbitrary bytes to the Thunderbird host from the extension and two app connections,
// cut anywhere. Nothing may crash or hang; every frame it writes must read back, and
// nothing but its two requests (or an error) may reach the extension.

#include "tools/quorvell-thunderbird-host/HostRelay.h"

#include <cstddef>
#include <cstdint>

namespace {

using platform::mail::native::FrameReader;

void checkFrames(const QByteArray& bytes, bool toExtension)
{
    FrameReader reader(platform::mail::native::kMaxMessageFrame);
    reader.feed(bytes.constData(), bytes.size());
    QByteArray frame;
    FrameReader::Status status;
    while ((status = reader.next(&frame)) == FrameReader::Status::Frame) {
        const auto parsed = platform::mail::native::parseFrame(frame);
        if (!parsed.object)
            __builtin_trap();
        const QString request = parsed.object->value(QLatin1String("request")).toString();
        if (toExtension && !parsed.object->contains(QLatin1String("type")) && request != QLatin1String("selection")
            && request != QLatin1String("raw"))
            __builtin_trap();
    }
    if (status == FrameReader::Status::Broken || reader.pending() != 0)
        __builtin_trap();
}

class Collect : public quorvell::host::HostRelay::Sink {
public:
    void toExtension(const QByteArray& frame) override { checkFrames(frame, true); }
    void toClient(int, const QByteArray& frame) override { checkFrames(frame, false); }
    void closeClient(int) override {}
    void selectedInThunderbird() override {}
    void log(const QString&) override {}
    void stop() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Collect sink;
    quorvell::host::HostRelay relay(sink);
    // Each piece: one byte naming the side (and the piece's length), then the bytes.
    qint64 now = 0;
    for (size_t at = 0; at < size;) {
        const uint8_t head = data[at++];
        const size_t length = std::min<size_t>(size - at, size_t(head >> 2) * 8 + 1);
        const char* piece = reinterpret_cast<const char*>(data + at);
        now += head;
        switch (head & 3) {
        case 0: relay.fromExtension(piece, qsizetype(length), now); break;
        case 1: relay.fromClient(1, piece, qsizetype(length), now); break;
        case 2: relay.fromClient(2, piece, qsizetype(length), now); break;
        default: relay.clientClosed(1); relay.expire(now * 100); break;
        }
        at += length;
    }
    return 0;
}

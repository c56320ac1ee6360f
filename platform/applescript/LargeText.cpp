#include "platform/applescript/LargeText.h"

#include <QStringView>

#include <algorithm>
#include <cstdint>

#include <sys/mman.h>

namespace platform::applescript {
namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
// Below this many characters the plain conversion is as fast.
constexpr int kLarge = 1 << 20;
// Converted a piece at a time, each piece small enough to stay in the cache.
constexpr int kPiece = 64 * 1024;

}  // namespace

void preferHugePages(const void* data, std::size_t bytes)
{
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t from = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t to = (begin + bytes) & ~(kHugePage - 1);
    if (to > from)
        (void)::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

QByteArray toUtf8Large(const QString& text)
{
    if (text.size() < kLarge) {
        // toUtf8 allocates for three bytes a character; kept texts keep only theirs.
        QByteArray out = text.toUtf8();
        out.squeeze();
        return out;
    }
    QByteArray out;
    out.reserve(text.size());  // exact for ASCII; other text grows it
    preferHugePages(out.constData(), static_cast<std::size_t>(out.capacity()));
    for (int at = 0; at < text.size();) {
        int count = std::min(kPiece, text.size() - at);
        // A surrogate pair is never cut: each piece converts as the whole would.
        if (at + count < text.size() && text.at(at + count - 1).isHighSurrogate())
            --count;
        out += QStringView(text).mid(at, count).toUtf8();
        at += count;
    }
    return out;
}

}  // namespace platform::applescript

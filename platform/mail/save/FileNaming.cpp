#include "platform/mail/save/FileNaming.h"

#include <QVector>

namespace platform::mail {

namespace {

bool isLineWhitespace(char32_t c)
{
    return c == U'\t' || c == U'\n' || c == U'\r' || c == U'\v' || c == U'\f' || c == 0x85 || c == 0x2028
           || c == 0x2029;
}

// Control characters (C0, DEL, C1) and the noncharacters a file name should never carry.
bool isDropped(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xFFFE || c == 0xFFFF;
}

// What Linux refuses ("/"), and what FAT, exFAT, NTFS and Windows shares refuse,
// so that a saved file can be copied anywhere.
bool isReplaced(char32_t c)
{
    switch (c) {
    case U'/': case U':': case U'?': case U'*': case U'<': case U'>': case U'|': case U'"': case U'\\':
        return true;
    default:
        return false;
    }
}

int utf8Length(char32_t c)
{
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

}  // namespace

QString cleanForFilename(const QString& subject)
{
    // Lone surrogates (broken UTF-16) are dropped by toUcs4's replacement below:
    // QString::toUcs4 yields U+FFFD for them, which we keep out as well.
    QString out;
    out.reserve(subject.size());
    int bytes = 0;
    bool pendingSpace = false;
    const QVector<uint> codePoints = subject.toUcs4();
    for (uint raw : codePoints) {
        auto c = static_cast<char32_t>(raw);
        if (c == U' ' || isLineWhitespace(c)) {
            pendingSpace = !out.isEmpty();
            continue;
        }
        if (isDropped(c) || c == 0xFFFD)
            continue;
        if (out.isEmpty() && c == U'.')
            continue;
        if (isReplaced(c))
            c = U'-';
        const int needed = utf8Length(c) + (pendingSpace ? 1 : 0);
        if (bytes + needed > kMaxStemBytes)
            break;
        if (pendingSpace)
            out += QLatin1Char(' ');
        pendingSpace = false;
        const char32_t one[] = {c};
        out += QString::fromUcs4(one, 1);
        bytes += needed;
    }
    // Windows drops trailing dots and blanks, so a name ending in them cannot be
    // copied there as it is.
    while (out.endsWith(QLatin1Char('.')) || out.endsWith(QLatin1Char(' ')))
        out.chop(1);
    if (out.isEmpty())
        return QString::fromLatin1(kUntitledName);
    return out;
}

QString numberedFileName(const QString& stem, const QString& extension, int attempt)
{
    if (attempt <= 1)
        return stem + QLatin1Char('.') + extension;
    return stem + QLatin1Char(' ') + QString::number(attempt) + QLatin1Char('.') + extension;
}

}  // namespace platform::mail

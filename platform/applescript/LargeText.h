#pragma once
// Texts of many megabytes: a list joined into one text, and its UTF-8 form for the
// clipboard. Each is written once from start to end into fresh memory, where the
// kernel's fault per 4 KB page costs more than the copy itself (most of all in a
// virtual machine); asking for huge pages makes that one fault per 2 MB.

#include <QByteArray>
#include <QString>

#include <cstddef>

namespace platform::applescript {

// Asks for huge pages on the whole 2 MB pages inside [data, data + bytes); a hint
// the kernel may ignore, never an error.
void preferHugePages(const void* data, std::size_t bytes);

// The same bytes as text.toUtf8(), a lone surrogate included, written into memory
// that prefers huge pages when the text is large.
[[nodiscard]] QByteArray toUtf8Large(const QString& text);

}  // namespace platform::applescript

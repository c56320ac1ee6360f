#pragma once
// File names for saved messages. A subject becomes a name that every Linux file
// system accepts, that copies onto a FAT stick or a Windows share, and that a user
// recognises: / : ? * < > | " \ become "-", control characters go (tabs and line
// breaks of folded subjects become spaces), runs of spaces collapse, leading dots
// (no hidden files) and trailing dots and blanks go, and the result is bounded in
// UTF-8 bytes on a character boundary. An empty result takes kUntitledName.

#include <QString>

namespace platform::mail {

inline constexpr int kMaxStemBytes = 200;  // leaves room for " 9999.pdf" under NAME_MAX (255)
inline constexpr const char* kUntitledName = "No Subject";

// The subject as a file name stem, without extension.
[[nodiscard]] QString cleanForFilename(const QString& subject);

// "stem.ext" for attempt 1, "stem 2.ext" for attempt 2, and so on.
[[nodiscard]] QString numberedFileName(const QString& stem, const QString& extension, int attempt);

}  // namespace platform::mail

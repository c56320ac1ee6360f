#pragma once
// Small text helpers that sit beside the script runner. Nothing in the commands
// calls them; they are kept for scripts and tools that work with message files.
//
// A file-system reference is, on this platform, the canonical POSIX path of an
// existing file or folder: making one resolves the path (relative paths against
// the working directory, symbolic links followed), and turning it back into a
// path fails once the object is gone.
//
// Pattern searches compare case-insensitively. An empty pattern is never found,
// as with the platform's string search.

#include <QByteArray>
#include <QString>

#include <optional>

namespace quorvell {

struct FSRef {
    QByteArray path;  // UTF-8, absolute and canonical; empty when unset
};

// The POSIX path of ref, or none for an absent or unset reference, one whose object
// no longer exists, or a path that does not fit in 4096 bytes with its terminator.
[[nodiscard]] std::optional<QString> stringWithFSRef(const FSRef* ref);

// Fills *ref from path taken as a POSIX path; false (and *ref untouched) when the
// path names nothing.
[[nodiscard]] bool getFSRef(const QString& path, FSRef* ref);

// The text between the first occurrence of first and the first occurrence of
// second after it.
[[nodiscard]] std::optional<QString> extractBetweenPattern(const QString& text, const QString& first,
                                                           const QString& second);

// The text between the first occurrence of second and the last occurrence of first
// that ends before it.
[[nodiscard]] std::optional<QString> reverseExtractBetweenPattern(const QString& text, const QString& first,
                                                                  const QString& second);

// Compiles and runs source as a script (the mail application is available to it)
// and gives the result's text; for a list, the text of its first item. None on any
// failure.
[[nodiscard]] std::optional<QString> runScript(const QString& source);

// text with every "/" and ":" replaced by "-".
[[nodiscard]] QString cleanForFilename(const QString& text);

}  // namespace quorvell

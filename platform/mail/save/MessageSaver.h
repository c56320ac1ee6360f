#pragma once
// Saving one message as a PDF or RTF file into a folder: the mail application's
// "save" command for messages.

#include <QString>

namespace platform::mail {

// What a saved message shows: the header lines and the text.
struct MessageDocument {
    QString from;
    QString to;
    QString cc;
    QString date;     // already formatted for display
    QString subject;
    QString body;     // decoded plain text
};

enum class SaveFormat { Pdf, Rtf };

struct SaveResult {
    QString path;   // the file written
    QString error;  // empty on success
    [[nodiscard]] bool ok() const { return error.isEmpty(); }
};

// Writes the message into folder under a name made from its subject (what other
// systems refuse becomes "-", control characters go, the length is bounded; see
// FileNaming.h). An existing file is
// never overwritten: a numbered name is taken instead. Nothing half-written stays.
[[nodiscard]] SaveResult saveMessageDocument(const MessageDocument& message, const QString& folder,
                                             SaveFormat format);

}  // namespace platform::mail

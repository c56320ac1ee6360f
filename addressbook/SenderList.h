#pragma once
// Sender and recipient lists taken apart. Purely textual and positional: an address
// is recognised only by the angle brackets around the last space-separated word of
// an entry; nothing is validated, trimmed, unquoted, deduplicated or reordered.

#include <QString>
#include <QStringList>

#include <optional>

namespace quorvell {

struct SenderEntry {
    QString firstName;                // always present, may be empty
    std::optional<QString> lastName;  // absent, or present and possibly empty
    QString address;                  // never includes the angle brackets
};

enum SenderField { SenderFieldName = 1, SenderFieldAddress = 2 };

// Cuts the text into entries (at least one). commaSeparated: "," separates;
// otherwise "\r\n", "\r" and "\n" do.
[[nodiscard]] QStringList splitSenderList(const QString& text, bool commaSeparated);

[[nodiscard]] SenderEntry parseSenderEntry(const QString& entry);

// Joins the names or the addresses of every entry ("\n" or "," between them, as
// UseCommaDelimiter says) and writes them to the clipboard. Logs "Parsing sender data...".
bool copySenderField(const QString& text, SenderField field);

}  // namespace quorvell

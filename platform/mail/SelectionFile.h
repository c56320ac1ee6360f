#pragma once
// The selection file: which messages are selected, in order, and where they live.
//
// Version 2, UTF-8 text, written whole and replaced atomically:
//
//   # quorvell selection 2
//   source<TAB>maildir<TAB>/home/ann/Maildir
//   1765188000.M1P7.host<TAB>.Archive/cur/1765188000.M1P7.host:2,S<TAB>a1@example.org
//
// The source line, second, names the kind of mailbox and its absolute root; every
// reader reads that mailbox, whatever its own environment says. Each further line is one
// message: its unique name, its file below the root when it was selected, and its
// Message-ID without angle brackets (empty when it has none), which find it again
// after it was renamed, refiled or delivered anew. In a field, "\\", "\t", "\n"
// and "\r" stand for a backslash, a tab, a line feed and a carriage return. Lines
// starting with "#" are comments; a later version may add fields at the end of a
// line, which this one passes over.
//
// Version 1, a file without the first line above, holds one unique name a line and
// no source: it belongs to the reader's own mailbox. It is still read, and the
// mailbox's "quorvell-default-selection" file is written in it.

#include <QByteArray>
#include <QString>
#include <QVector>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace platform::mail {

struct SelectedMessage {
    QString uniqueName;
    QString location;   // the file below the mailbox root, e.g. "cur/1.M1.x:2,S"; may be empty
    QString messageId;  // may be empty
};

struct SelectionRecord {
    int version = 2;
    QString sourceKind;  // "maildir"; empty in version 1
    QString root;        // the mailbox's absolute root; empty in version 1
    QVector<SelectedMessage> messages;
};

// The record a file holds (version 1 when it has no header line).
[[nodiscard]] SelectionRecord parseSelection(const QByteArray& text);

// The selected messages of a record held as the file holds them, for reading a
// long selection without three strings a message: the fields, unescaped, in one
// buffer (the file's own) and where each message's fields start. A field is made
// a string when asked for; a unique name is also given as its bytes.
class SelectedMessages {
public:
    SelectedMessages() = default;
    explicit SelectedMessages(const QVector<SelectedMessage>& messages);

    [[nodiscard]] qsizetype size() const { return static_cast<qsizetype>(m_rows.size()); }
    [[nodiscard]] QString uniqueName(qsizetype index) const { return field(index, 0); }
    [[nodiscard]] QString location(qsizetype index) const { return field(index, 1); }
    [[nodiscard]] QString messageId(qsizetype index) const { return field(index, 2); }
    // The UTF-8 bytes of a field, valid while this object lives.
    [[nodiscard]] std::string_view uniqueNameBytes(qsizetype index) const { return bytes(index, 0); }
    [[nodiscard]] std::string_view locationBytes(qsizetype index) const { return bytes(index, 1); }
    // The buffer every field's bytes lie in.
    [[nodiscard]] std::string_view bytes() const { return {m_bytes.constData(), size_t(m_bytes.size())}; }
    [[nodiscard]] QVector<SelectedMessage> all() const;

private:
    friend struct CompactSelection;
    [[nodiscard]] QString field(qsizetype index, int which) const;
    [[nodiscard]] std::string_view bytes(qsizetype index, int which) const;

    QByteArray m_bytes;
    struct Row {
        std::uint32_t starts[4];  // of the unique name, location, Message-ID, and the next row
    };
    std::vector<Row> m_rows;
};

// A selection file read for its messages: the header's fields and the messages,
// held compactly. Reads what parseSelection reads, from a text it takes over.
struct CompactSelection {
    int version = 2;
    QString sourceKind;
    QString root;
    SelectedMessages messages;

    [[nodiscard]] static CompactSelection parse(QByteArray text);

private:
    // Reads text, writing the fields from out on, which may be the text itself
    // when no field grows; written is how many bytes.
    void parseInto(const QByteArray& text, char* out, qsizetype* written);
};
[[nodiscard]] QByteArray formatSelection(const SelectionRecord& record);

constexpr const char* kMaildirSource = "maildir";

}  // namespace platform::mail

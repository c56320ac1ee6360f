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

#include <optional>

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
[[nodiscard]] QByteArray formatSelection(const SelectionRecord& record);

constexpr const char* kMaildirSource = "maildir";

}  // namespace platform::mail

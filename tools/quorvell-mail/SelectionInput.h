#pragma once
// Where `quorvell-mail select` takes its messages from, besides its arguments:
// lines or whole messages on standard input, a notmuch query, the mblaze sequence.
//
// Each source gives entries for MessageFinder, in order, each with the place it
// came from so that an entry that is not found can be reported by its line. A
// source that cannot be read gives none and an error.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace quorvellmail {

struct Entry {
    QString text;  // a file, unique name, number or Message-ID
    int line = 0;  // where it stood, from 1
};

// Entries and how to name their place: "line %1", "line %1 of notmuch's answer", ...
// (formatted only for an entry that is not found: 10,000 entries are common).
struct Entries {
    QList<Entry> entries;
    QString place;
};

// One entry per non-blank line; lines as `quorvell-mail list` prints them count
// by their number (the first field).
[[nodiscard]] Entries entriesFromLines(const QByteArray& text, const QString& place);

// Messages written one after another and parted as in an mbox file: a "From "
// line with a date at the start or after an empty line. Some clients open every
// message with one, others write one after every message when told so (see the
// neomutt macro); without such a line the whole text is one message.
[[nodiscard]] QList<QByteArray> splitMessages(const QByteArray& text);

// The files of the messages that match a notmuch query, oldest first, one file per
// message, from the `notmuch` program and the person's own notmuch configuration.
[[nodiscard]] std::optional<Entries> notmuchEntries(const QString& query, QString* error);
// The Message-IDs of the same messages, in the same order, as "id:" terms: what
// finds a message whose file notmuch has not seen move yet (before `notmuch new`).
[[nodiscard]] std::optional<QStringList> notmuchMessageIds(const QString& query, QString* error);

// The files of the mblaze sequence ($MAILSEQ, else ${MBLAZE:-~/.mblaze}/seq), with
// the indentation of threads removed and mthread's placeholders for messages that
// are not there left out.
[[nodiscard]] std::optional<Entries> mblazeEntries(QString* error);

}  // namespace quorvellmail

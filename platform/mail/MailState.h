#pragma once
// What the mail application keeps per user: the selection and the message ids.
//
// Both live in ${XDG_STATE_HOME:-~/.local/state}/quorvell/mail/ as UTF-8 text:
//   selection  one Maildir unique name a line, in selection order;
//   ids        "<id> <unique name>" a line; ids start at 1 and are never reused.
// Files are replaced atomically (QSaveFile), and the ids file is changed under a
// lock file so the app and quorvell-mail can assign ids at the same time. A line
// that cannot be read is skipped, so a damaged file loses that line only.
//
// When the user has made no selection at all (no selection file), the mailbox's
// file "quorvell-default-selection" (same format) stands in for it; the bundled
// sample mailbox ships one. An empty selection file means "nothing selected".

#include "platform/mail/Mailbox.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform::mail {

class MailState {
public:
    // The state folder of the current environment (read at construction).
    MailState();
    explicit MailState(QString directory);

    [[nodiscard]] const QString& directory() const { return m_directory; }

    // The stored unique names, none when the user never selected anything.
    [[nodiscard]] std::optional<QStringList> storedSelection() const;
    // The selection as written, or the mailbox's default one when none is stored.
    [[nodiscard]] QStringList selectionNames(const Mailbox& mailbox) const;
    // The selected messages that exist, in order; vanished ones are left out.
    [[nodiscard]] QVector<MessageLocation> selection(const Mailbox& mailbox) const;
    // Replaces the selection. False with *error set when it cannot be written; the
    // previous selection is then unchanged.
    [[nodiscard]] bool writeSelection(const QStringList& uniqueNames, QString* error = nullptr) const;

    // The ids of these messages, giving new ones to those that have none yet. A
    // name with a line break or blanks at its ends gets none (0): the file could
    // not give it back.
    [[nodiscard]] QHash<QString, qint64> ids(const QStringList& uniqueNames) const;
    // The messages that have an id, by id; assigns none.
    [[nodiscard]] QHash<qint64, QString> namesById() const;

    static constexpr const char* kDefaultSelectionFile = "quorvell-default-selection";

private:
    QString m_directory;
};

// One command reads the selection once. While a scope lives on this thread,
// MailState::selection() answers a second ask for the same state folder and
// mailbox with what the first read, so a command's check for a selection and its
// script see the same messages. Nothing outlives the scope: the next command reads
// the state and the Maildir afresh. Scopes nest; the outermost one counts.
class SelectionScope {
public:
    SelectionScope();
    ~SelectionScope();
    SelectionScope(const SelectionScope&) = delete;
    SelectionScope& operator=(const SelectionScope&) = delete;

private:
    bool m_outermost;
};

}  // namespace platform::mail

#pragma once
// What the mail application keeps per user: the selection and the message ids.
//
// Both live in ${XDG_STATE_HOME:-~/.local/state}/quorvell/mail/ as UTF-8 text:
//   selection  the selected messages in order and the mailbox they belong to
//              (the format is in SelectionFile.h);
//   ids        "<id> <unique name>" a line; ids start at 1 and are never reused.
// Files are replaced atomically (QSaveFile), and the ids file is changed under a
// lock file so the app and quorvell-mail can assign ids at the same time. A line
// that cannot be read is skipped, so a damaged file loses that line only.
//
// Every reader works on the mailbox the selection names, whatever its own
// environment says (an app started by the session bus may lack the shell's
// MAILDIR); a selection that names none belongs to the reader's own mailbox.
// When the user has made no selection at all (no selection file), the mailbox's
// file "quorvell-default-selection" (one unique name a line) stands in for it; the
// bundled sample mailbox ships one. An empty selection means "nothing selected".

#include "platform/mail/LocationTable.h"
#include "platform/mail/Mailbox.h"

#include "platform/mail/MessageSource.h"
#include "platform/mail/SelectionFile.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace platform::mail {

class MailState {
public:
    // The state folder of the current environment (read at construction).
    MailState();
    explicit MailState(QString directory);

    [[nodiscard]] const QString& directory() const { return m_directory; }

    // The selection as a command reads it.
    struct Read {
        MailboxLookup mailbox;                   // the selection's, else the environment's
        std::shared_ptr<MessageSource> source;  // none when mailbox.problem says why
        // The selected messages still there, in order; never null.
        std::shared_ptr<const LocationTable> messages = std::make_shared<const LocationTable>();
        qsizetype selected = 0;                  // how many the selection names
        QString sourceKind;                      // "maildir", "thunderbird"; empty when unknown
        [[nodiscard]] qsizetype gone() const { return selected - messages->size(); }
    };
    [[nodiscard]] Read read() const;
    // The mailbox a reader works on: the one the selection names (source
    // Selection, with a problem when it is no longer a Maildir), else the
    // environment's (Mailbox::lookup()).
    [[nodiscard]] MailboxLookup mailbox() const;

    // The selection file as stored; none when the user never selected anything.
    [[nodiscard]] std::optional<SelectionRecord> storedRecord() const;
    // Its unique names.
    [[nodiscard]] std::optional<QStringList> storedSelection() const;
    // Replaces the selection with these messages of source. False with *error set
    // when it cannot be written; the previous selection is then unchanged.
    [[nodiscard]] bool writeSelection(const MessageSource& source, const QVector<MessageLocation>& messages,
                                      QString* error = nullptr) const;
    [[nodiscard]] bool writeRecord(const SelectionRecord& record, QString* error = nullptr) const;
    // The messages of the environment's mailbox with these unique names; a name
    // no message has is kept as a message that is gone.
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
// MailState::read() answers a second ask for the same state folder with what the
// first read, so a command's check for a selection and its
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

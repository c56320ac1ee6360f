#pragma once
// The Message-IDs of a mailbox's messages, by unique name, kept between runs so
// that finding a message by its Message-ID reads only the headers of the messages
// delivered since the last time, and mostly no directory at all.
//
// One file per mailbox in the state folder, "message-ids-" and 16 hex digits of
// the root's SHA-1; its first line is "# quorvell message-ids 2<TAB>root", each
// further line "unique name<TAB>Message-ID<TAB>file below the root when last seen".
// A unique name never changes its message in a Maildir, so an entry's Message-ID
// stays true while the file lives; entries of files that are gone are dropped when
// the whole mailbox is looked through. Two processes that save at once lose some of
// each other's entries, which costs header reads later, never a wrong answer.

#include "platform/mail/MailMessage.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

namespace platform::mail {

class MessageIdIndex {
public:
    MessageIdIndex(const QString& stateDirectory, const QString& root);

    // The Message-ID of this message ("" when it has none), from the index or its
    // header; notes where the file is now.
    [[nodiscard]] QString idOf(const MessageLocation& message);

    struct Known {
        QString uniqueName;
        QString file;  // below the root, when last seen
    };
    // The files that the index gives these Message-IDs, by Message-ID; it reads no
    // header and parses only the lines that match.
    [[nodiscard]] QHash<QString, QVector<Known>> filesWithIds(const QSet<QString>& ids) const;

    // Forgets the messages that everyMessage (the whole mailbox by unique name) lacks.
    void keepOnly(const QHash<QString, MessageLocation>& everyMessage);
    // Writes the index when it changed; quietly keeps the old one when it cannot.
    void save();

private:
    struct Entry {
        QString id;
        QString file;
    };
    void load();
    [[nodiscard]] QString fileOf(const MessageLocation& message) const;

    QString m_path;
    QString m_root;
    bool m_loaded = false;
    bool m_changed = false;
    QHash<QString, Entry> m_entries;  // by unique name
};

}  // namespace platform::mail

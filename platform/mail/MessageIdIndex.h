#pragma once
// The Message-IDs of a mailbox's messages, by unique name, kept between runs so
// that finding a message by its Message-ID reads only the headers of the messages
// delivered since the last time.
//
// One file per mailbox in the state folder, "message-ids-" and 16 hex digits of
// the root's SHA-1; its first line is "# quorvell message-ids 1<TAB>root", each
// further line "unique name<TAB>Message-ID". A unique name never changes its
// message in a Maildir, so an entry stays true while the file lives; entries of
// files that are gone are dropped when the whole mailbox is looked through. Two
// processes that save at once lose some of each other's entries, which costs
// header reads later, never a wrong answer.

#include "platform/mail/MailMessage.h"

#include <QHash>
#include <QString>
#include <QVector>

namespace platform::mail {

class MessageIdIndex {
public:
    MessageIdIndex(const QString& stateDirectory, const QString& root);

    // The Message-ID of this message ("" when it has none), from the index or its header.
    [[nodiscard]] QString idOf(const MessageLocation& message);
    // Forgets the messages that everyMessage (the whole mailbox by unique name) lacks.
    void keepOnly(const QHash<QString, MessageLocation>& everyMessage);
    // Writes the index when it changed; quietly keeps the old one when it cannot.
    void save();

private:
    void load();

    QString m_path;
    QString m_root;
    bool m_loaded = false;
    bool m_changed = false;
    QHash<QString, QString> m_ids;  // unique name -> Message-ID
};

}  // namespace platform::mail

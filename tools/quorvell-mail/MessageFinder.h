#pragma once
// Finds the message of the mailbox that a person or a mail client names.
//
// An entry names a message by its file (also after a flag change renamed the file:
// the unique name before ":2," still matches), its unique name, the number that
// `quorvell-mail list` prints, or its Message-ID, bare, in angle brackets or as a
// notmuch query term `id:...`. A whole message, as a mail client pipes it, is
// found by its Message-ID, or by its sender, date, subject and body when it has
// none. The indexes behind the slower ways (ids, Message-IDs, contents) are built
// on first need only, so a list of files costs one directory scan; Message-IDs come
// from the index kept between runs (MessageIdIndex.h). What is not found is
// reported with the mailbox that was searched.

#include "platform/mail/MailState.h"
#include "platform/mail/Mailbox.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

namespace quorvellmail {

class MessageFinder {
public:
    // Both must outlive the finder.
    MessageFinder(const platform::mail::Mailbox& mailbox, const platform::mail::MailState& state);

    // The unique name, or none with *error saying what was not found.
    [[nodiscard]] std::optional<QString> find(const QString& entry, QString* error);
    [[nodiscard]] std::optional<QString> findMessage(const QByteArray& message, QString* error);
    // Where the message with this unique name (an answer of the two above) lies.
    [[nodiscard]] platform::mail::MessageLocation location(const QString& uniqueName) const
    {
        return m_index.value(uniqueName);
    }

private:
    [[nodiscard]] std::optional<QString> byMessageId(const QString& id);
    [[nodiscard]] std::optional<QString> byContent(const QByteArray& message);

    const platform::mail::Mailbox& m_mailbox;
    const platform::mail::MailState& m_state;
    QHash<QString, platform::mail::MessageLocation> m_index;
    std::optional<QHash<qint64, QString>> m_numbers;
    std::optional<QHash<QString, QString>> m_messageIds;
    std::optional<QHash<QByteArray, QString>> m_contents;
};

}  // namespace quorvellmail

#pragma once
// A Maildir (with its Maildir++ folders) as the source of the selected messages.
//
// A selected message is looked for by its unique name in every folder, which
// finds it after a flag change and after a move that kept its name, in one pass
// over the directories. Only the messages that this misses are looked for by
// Message-ID, through the Message-ID index (MessageIdIndex.h): a refile or a new
// delivery under a new name costs the headers of the messages the index does not
// know yet, not every header of the mailbox.

#include "platform/mail/Mailbox.h"
#include "platform/mail/MessageSource.h"

namespace platform::mail {

class MaildirSource : public MessageSource {
public:
    MaildirSource(Mailbox mailbox, QString stateDirectory);

    [[nodiscard]] const Mailbox& mailbox() const { return m_mailbox; }

    [[nodiscard]] QString kind() const override { return QString::fromLatin1(kMaildirSource); }
    [[nodiscard]] QString root() const override { return m_mailbox.root(); }
    [[nodiscard]] QString problem() const override;
    [[nodiscard]] QStringList folders() const override { return m_mailbox.folders(); }
    [[nodiscard]] QVector<MessageLocation> messages(const QString& folder) const override;
    [[nodiscard]] ResolvedSelection resolve(const QVector<SelectedMessage>& selected) const override;
    [[nodiscard]] ResolvedSelection resolve(const SelectedMessages& selected) const override;
    [[nodiscard]] QVector<SelectedMessage> record(const QVector<MessageLocation>& messages) const override;

private:
    Mailbox m_mailbox;
    QString m_stateDirectory;
};

}  // namespace platform::mail

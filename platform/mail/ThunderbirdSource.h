#pragma once
// Thunderbird's selection as the source of the selected messages.
//
// The selection file names this source ("thunderbird" and the socket of the host,
// see ThunderbirdLink.h) once the person has selected in Thunderbird; quorvell-mail
// select names a Maildir again. The file holds no message of Thunderbird's: the
// selection is asked of Thunderbird at the moment a command reads it, and the
// messages are fetched raw then, so the mail code reads them as it reads Maildir
// files. The fetched copies are this process's alone (0600 files in a 0700
// folder under thunderbirdRuntimeFolder()), live until the command that read them
// ends (forgetFetchedMessages(), called when the outermost SelectionScope ends)
// or the process exits, and copies left by a process that died are removed by
// the next fetch.
//
// problem() asks Thunderbird for its selection (kept for resolve()), so every way
// of not getting it — Thunderbird closed, the extension off, the host gone, no
// mail tab shown — is a problem that names what happened, never an empty or
// another mailbox's selection. A message Thunderbird cannot give (an IMAP message
// not kept offline while the server is out of reach) makes resolve() fail as a
// whole with a problem naming it.

#include "platform/mail/MessageSource.h"
#include "platform/mail/ThunderbirdLink.h"

#include <optional>

namespace platform::mail {

constexpr const char* kThunderbirdSource = "thunderbird";

class ThunderbirdSource : public MessageSource {
public:
    explicit ThunderbirdSource(QString endpoint);

    [[nodiscard]] QString kind() const override { return QString::fromLatin1(kThunderbirdSource); }
    [[nodiscard]] QString root() const override { return m_endpoint; }
    [[nodiscard]] QString problem() const override;
    [[nodiscard]] QStringList folders() const override { return {}; }
    [[nodiscard]] QVector<MessageLocation> messages(const QString&) const override { return {}; }
    using MessageSource::resolve;  // a compact selection reaches the one below
    // The selection as Thunderbird shows it now; `selected` is not looked at.
    [[nodiscard]] ResolvedSelection resolve(const QVector<SelectedMessage>& selected) const override;
    // Nothing: no message of Thunderbird's is written into the selection file.
    [[nodiscard]] QVector<SelectedMessage> record(const QVector<MessageLocation>&) const override { return {}; }

    // The name a fetched message goes by (for the ids of "Copy Mail Message ID"):
    // the same for the same message in the same folder from one run of
    // Thunderbird to the next.
    [[nodiscard]] static QString uniqueNameOf(const ThunderbirdMessage& message);

private:
    // Asks once; later calls give what the first got.
    const std::optional<ThunderbirdSelection>& asked() const;

    QString m_endpoint;
    mutable bool m_asked = false;
    mutable std::optional<ThunderbirdSelection> m_selection;
    mutable QString m_problem;
};

// Removes the messages this process fetched from Thunderbird.
void forgetFetchedMessages();

}  // namespace platform::mail

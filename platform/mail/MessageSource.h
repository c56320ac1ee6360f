#pragma once
// Where the selected messages live. The mail application reads the selection
// through a source of the kind the selection file names, so the commands do not
// care whether the messages sit in a Maildir or come from elsewhere; a new kind
// of source is a new class here and a new case in openSource().

#include "platform/mail/LocationTable.h"
#include "platform/mail/MailMessage.h"
#include "platform/mail/SelectionFile.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

namespace platform::mail {

// A selection found again: the messages that are still there, in the selection's
// order, and how many of the selected ones are gone for good.
struct ResolvedSelection {
    QVector<MessageLocation> found;
    qsizetype gone = 0;
    QString problem;  // why the selection cannot be read at all, naming what happened
    // The same found messages as a table, when the source built one instead.
    std::shared_ptr<const LocationTable> table;
};

class MessageSource {
public:
    virtual ~MessageSource() = default;

    // As the selection file records it: "maildir" and the absolute root.
    [[nodiscard]] virtual QString kind() const = 0;
    [[nodiscard]] virtual QString root() const = 0;
    // Why the source cannot be read, naming it; empty when it can.
    [[nodiscard]] virtual QString problem() const = 0;

    // "INBOX" first, then the other folders by name.
    [[nodiscard]] virtual QStringList folders() const = 0;
    [[nodiscard]] virtual QVector<MessageLocation> messages(const QString& folder) const = 0;

    // The selected messages as they are now: renamed, refiled or delivered anew
    // since they were selected, they are found again; gone, they are counted.
    [[nodiscard]] virtual ResolvedSelection resolve(const QVector<SelectedMessage>& selected) const = 0;
    // The same for a selection read compactly; by default through the list.
    [[nodiscard]] virtual ResolvedSelection resolve(const SelectedMessages& selected) const
    {
        return resolve(selected.all());
    }
    // What the selection file keeps of these messages of the source to find them again.
    [[nodiscard]] virtual QVector<SelectedMessage> record(const QVector<MessageLocation>& messages) const = 0;
};

// The source of this kind at this root, using stateDirectory for what it keeps
// between runs; none for a kind this version does not know.
[[nodiscard]] std::shared_ptr<MessageSource> openSource(const QString& kind, const QString& root,
                                                        const QString& stateDirectory);

}  // namespace platform::mail

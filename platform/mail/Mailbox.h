#pragma once
// The Maildir the mail application shows, with its Maildir++ subfolders.
//
// The mailbox is $MAILDIR when that variable is set and not empty (a leading "~"
// is the home folder); one that names no
// Maildir (missing, a file, a folder without cur/ and new/) is an error, never a
// reason to show other mail. With MAILDIR unset or empty it is ~/Maildir when that folder
// exists, else the sample mailbox shipped in the resources ("SampleMaildir"). The top
// folder is "INBOX"; a subfolder ".Sent" is "Sent", ".Archive.2024" is
// "Archive.2024". Messages are the files of cur/ and new/ (tmp/ holds deliveries in
// progress and is never read); a message is known by its unique name, the file
// name before ":2,", so a flag change that renames the file keeps its identity.

#include "platform/mail/LocationTable.h"
#include "platform/mail/MailMessage.h"
#include "platform/mail/SelectionFile.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::mail {

// Where the rule above found the mailbox, or why it found none.
struct MailboxLookup {
    // Selection: the mailbox the selection file names (MailState::mailbox()).
    enum class Source { Environment, Home, Sample, Selection, None };
    Source source = Source::None;
    QString root;     // empty when there is no mailbox
    QString problem;  // why a set MAILDIR was refused, naming its path; else empty
};

class Mailbox {
public:
    [[nodiscard]] static MailboxLookup lookup();
    // The mailbox found by the rule above; root() is empty when there is none.
    [[nodiscard]] static Mailbox locate();
    explicit Mailbox(QString root);

    [[nodiscard]] const QString& root() const { return m_root; }
    [[nodiscard]] bool exists() const;

    // "INBOX" first, then the subfolders in name order.
    [[nodiscard]] QStringList folders() const;
    // The folder's name as written in folders(), matched without case; none if unknown.
    [[nodiscard]] std::optional<QString> folderNamed(const QString& name) const;
    // The messages of one folder, oldest delivery first (ties by unique name).
    [[nodiscard]] QVector<MessageLocation> messages(const QString& folder) const;
    // Every message of every folder, by unique name. The first folder wins when
    // the same unique name lies in two folders, cur/ when it lies in cur/ and new/.
    [[nodiscard]] QHash<QString, MessageLocation> index() const;
    // The messages of index() with these unique names, in their order, found
    // without listing the others; a name no message has is left out, a name given
    // twice gives its message twice.
    [[nodiscard]] QVector<MessageLocation> find(const QStringList& uniqueNames) const;
    // The same, one answer per name, none for a name no message has.
    [[nodiscard]] std::vector<std::optional<MessageLocation>> findEach(const QStringList& uniqueNames) const;
    // The same as a table with a place per selected message, empty for a name no
    // message has.
    [[nodiscard]] LocationTable locate(const SelectedMessages& selected) const;
    // The message whose file is relative ("cur/NAME", ".Sent/new/NAME") below the
    // root, when that file exists.
    [[nodiscard]] std::optional<MessageLocation> at(const QString& relative) const;
    // The file of a message of this mailbox below its root; empty for another's.
    [[nodiscard]] QString relative(const MessageLocation& location) const;

    // The unique name of a Maildir file name: what comes before its flags.
    [[nodiscard]] static QString uniqueName(const QString& fileName);
    // The flags of a Maildir file name: the letters after ":2,", empty without them.
    [[nodiscard]] static QStringView flags(const QString& fileName);

    static constexpr const char* kInbox = "INBOX";

private:
    [[nodiscard]] QString folderPath(const QString& folder) const;
    // The messages of one folder in the order the directories list them.
    [[nodiscard]] QVector<MessageLocation> unsortedMessages(const QString& folder) const;
    // Unique names as a file system spells them: count of them, about bytes long
    // together, each a range of one buffer from base on (view), or, without a
    // base, appended by write.
    struct Names {
        qsizetype count;
        qsizetype bytes;
        const char* base;
        std::function<std::string_view(qsizetype index)> view;
        std::function<void(qsizetype index, std::string& bytes)> write;
    };
    // Lists the folders once for the files of these names. Each distinct name has
    // a slot (slotOfName, one for each name); found gets the slot, folder, the
    // directory's path and a slash, and the raw file name of each file found.
    using FoundFile = std::function<void(qsizetype slot, const QString& folder, const QString& prefix,
                                         const QByteArray& raw)>;
    void scanFor(const Names& names, std::vector<qsizetype>& slotOfName, std::vector<qsizetype>& nameOfSlot,
                 const FoundFile& found) const;

    QString m_root;
};

}  // namespace platform::mail

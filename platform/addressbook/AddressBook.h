#pragma once
// The address book stand-in: a vdir, one folder of ".vcf" files, one card per file,
// which khard reads and vdirsyncer syncs to any CardDAV server. The user's book is
// the folder ${XDG_DATA_HOME:-$HOME/.local/share}/quorvell/addressbook; nothing else
// configures it.
//
// An open book holds the folder's lock (FolderLock) for its whole life, so two
// imports in two processes run one after the other and neither loses the other's
// cards. Opening reads the folder once and builds the index that every search uses;
// records created and added later join that index at once, so a search finds a
// person added earlier through the same book before any save.
//
// Cards are parsed with KF5 Contacts, but a card this book did not create is never
// written back through it (a round trip loses unknown properties and renames
// others). The one edit made to such a card is the insertion of a UID line, when a
// person without UID becomes a group member; every other byte of its file is kept.
// A file that is not a sequence of complete cards, is larger than any card, or is not
// a regular file at all (a FIFO, device, socket, a directory named "*.vcf", a link
// that leads nowhere) is skipped by the searches, left untouched, and logged once per
// open; reading the folder never blocks on such an entry. Files are written as the
// vdir convention asks: a temporary file in the same folder, then a rename, so a
// reader or a crash never sees half a card. A file another program changed or
// removed after it was read is not written (see FileBatch.h).
//
// Links: a card reached through a symbolic link (or a file with further hard links)
// is read and found like any other, but never written, since the rename would replace
// the link by a copy and leave its target behind, and the target may lie in a folder
// whose lock this book does not hold. Such a person joins a group only when its card
// carries a UID already; otherwise the log says that it joins no group.

#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

namespace platform::addressbook {

// A record of one open book. Numbers follow the book's stable order: the cards of
// the folder by file name, then the records this book created, in creation order.
using RecordId = int;

enum class Property {
    FirstName,  // people
    LastName,   // people
    Email,      // people: one address under the work label, replacing any other
    Category,   // people: one category (CATEGORIES), the name of the group it was filed in
    GroupName,  // groups
};

class AddressBook {
public:
    // ${XDG_DATA_HOME:-$HOME/.local/share}/quorvell/addressbook, read from the
    // environment at every call.
    [[nodiscard]] static QString defaultFolder();

    // Creates the folder when it is missing (private to the user), takes its lock and
    // reads its cards. None when the folder cannot be created or read, or the lock
    // is not free within lockTimeout.
    [[nodiscard]] static std::unique_ptr<AddressBook> open(
        const QString& folder, std::chrono::milliseconds lockTimeout = std::chrono::seconds(30));

    // Releases the lock; what was not saved is dropped.
    ~AddressBook();
    AddressBook(const AddressBook&) = delete;
    AddressBook& operator=(const AddressBook&) = delete;

    // New records, known to this book but not part of it until addRecord.
    [[nodiscard]] RecordId createPerson();
    [[nodiscard]] RecordId createGroup();

    // Only records created by this book take values: false for a card read from the
    // folder, for a property of the other kind of record, or an unknown record.
    bool setValue(RecordId record, Property property, const QString& value);
    // A record created by this book becomes part of it (and of the searches).
    bool addRecord(RecordId record);
    // Makes a person of the book a member of a group created by this book; a member
    // twice, or two cards with the same UID, are one member. False when either is not
    // part of the book, or the person has no UID and its card is a link (logged).
    bool addMember(RecordId group, RecordId person);
    // Writes the people and groups changed since the last save, people first, so a
    // group card never names a person whose card is not on disk. True when every
    // file was written; each file that was not is logged.
    bool save();

    // People whose first and last names equal the given ones, ignoring case; an
    // absent or empty name matches people who have none. A search in which both
    // names are empty matches no one: a card without a name (a company, a bare
    // address) is not a person of that name.
    [[nodiscard]] std::vector<RecordId> peopleNamed(const QString& firstName,
                                                    const std::optional<QString>& lastName) const;
    // Groups whose name equals the given one, ignoring case.
    [[nodiscard]] std::vector<RecordId> groupsNamed(const QString& name) const;

    [[nodiscard]] bool isPartOfBook(RecordId record) const;
    [[nodiscard]] QString value(RecordId record, Property property) const;
    // Every e-mail address of a person, in its card's order (Email gives the
    // preferred one only).
    [[nodiscard]] QStringList emails(RecordId person) const;
    // "urn:uuid:…" references of a group's members.
    [[nodiscard]] QStringList members(RecordId group) const;
    [[nodiscard]] QString folder() const;
    // Files of the folder that were skipped, each logged once, by their decoded names.
    [[nodiscard]] QStringList unreadableFiles() const;

private:
    struct Private;
    explicit AddressBook(std::unique_ptr<Private> d);
    std::unique_ptr<Private> d;
};

}  // namespace platform::addressbook

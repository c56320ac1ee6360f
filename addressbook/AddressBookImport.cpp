#include "addressbook/AddressBookImport.h"

#include "addressbook/SenderList.h"
#include "platform/addressbook/AddressBook.h"
#include "platform/desktop/Log.h"
#include "scripting/CommandFeedback.h"

#include <QDateTime>
#include <QLocale>
#include <QSet>

namespace quorvell {
namespace {

using platform::addressbook::AddressBook;
using platform::addressbook::Property;
using platform::addressbook::RecordId;

// "2026-12-06 07:10:23 +0100": the date, the time to the second, and the offset
// from UTC as a sign and four digits, in ASCII digits whatever the locale (Qt 5
// formats QDateTime::toString in the system locale's digits).
QString dateDescription(const QDateTime& now)
{
    const int offset = now.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return QLocale::c().toString(now, QStringLiteral("yyyy-MM-dd HH:mm:ss "))
        + QStringLiteral("%1%2%3")
              .arg(QChar(offset < 0 ? u'-' : u'+'))
              .arg(minutes / 60, 2, 10, QLatin1Char('0'))
              .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

std::optional<RecordId> findGroupNamed(const AddressBook* book, const QString& name)
{
    if (!book)
        return std::nullopt;
    const std::vector<RecordId> matches = book->groupsNamed(name);
    if (matches.empty())
        return std::nullopt;
    return matches.front();
}

// The group is returned even when naming or adding it failed; only a successful
// add is saved at once.
std::optional<RecordId> createGroupNamed(AddressBook* book, const QString& name)
{
    if (!book)
        return std::nullopt;
    if (findGroupNamed(book, name)) {
        platform::desktop::log(QStringLiteral("The group named \"%1\" already exists").arg(name));
        return std::nullopt;
    }
    const RecordId group = book->createGroup();
    if (book->setValue(group, Property::GroupName, name) && book->addRecord(group))
        book->save();
    return group;
}

std::optional<RecordId> findPerson(const AddressBook* book, const QString& firstName,
                                   const std::optional<QString>& lastName)
{
    if (!book)
        return std::nullopt;
    const std::vector<RecordId> matches = book->peopleNamed(firstName, lastName);
    if (matches.empty())
        return std::nullopt;
    return matches.front();
}

// An existing person is returned unchanged: the address is not added to it, and
// reused says so. A new person on whom nothing was set is returned without being
// part of the book. A new person is filed under category too (CATEGORIES), so that
// the clients that show groups as categories see the group; a card read from the
// folder is never changed for that.
std::optional<RecordId> findOrCreatePerson(AddressBook* book, const QString& firstName,
                                           const std::optional<QString>& lastName, const QString& address,
                                           const QString& category, bool* reused)
{
    *reused = false;
    if (const auto found = findPerson(book, firstName, lastName)) {
        *reused = true;
        return found;
    }
    if (!book)
        return std::nullopt;
    const RecordId person = book->createPerson();
    bool named = false;
    if (!firstName.isEmpty()) {
        book->setValue(person, Property::FirstName, firstName);
        named = true;
    }
    if (lastName && !lastName->isEmpty()) {
        book->setValue(person, Property::LastName, *lastName);
        named = true;
    }
    book->setValue(person, Property::Category, category);
    if (!address.isEmpty()) {
        book->setValue(person, Property::Email, address);
        book->addRecord(person);
    } else if (named) {
        book->addRecord(person);
    }
    return person;
}

// "Susan Davis": the person's names as the book holds them.
QString nameInBook(const AddressBook& book, RecordId person)
{
    QStringList names{book.value(person, Property::FirstName), book.value(person, Property::LastName)};
    names.removeAll(QString());
    return names.join(u' ');
}

// An address the reused person does not have is not filed anywhere: the line says
// which, so that nothing is lost without a word.
bool reportAddressNotFiled(const AddressBook& book, RecordId person, const QString& entry, const QString& address)
{
    if (address.isEmpty() || book.emails(person).contains(address, Qt::CaseInsensitive))
        return false;
    platform::desktop::log(QStringLiteral("%1 already in the address book as %2; %3 not added")
                               .arg(entry.trimmed(), nameInBook(book, person), address));
    return true;
}

}  // namespace

bool importToAddressBook(const QString& scriptText)
{
    platform::desktop::log(QStringLiteral("Parsing sender data..."));
    const QString groupName = QStringLiteral("Quorvell ") + dateDescription(QDateTime::currentDateTime());

    // The book of this import: opened once, holding the folder's lock until the end,
    // its index serving every lookup below.
    const std::unique_ptr<AddressBook> book = AddressBook::open(AddressBook::defaultFolder());
    const std::optional<RecordId> group = createGroupNamed(book.get(), groupName);
    if (!group) {
        platform::desktop::log(QStringLiteral("Could not create a group named  \"%1\"").arg(groupName));
        return false;
    }

    QSet<RecordId> members;
    int notFiled = 0;
    for (const QString& line : splitSenderList(scriptText, false)) {
        const SenderEntry entry = parseSenderEntry(line);
        bool reused = false;
        const std::optional<RecordId> person =
            findOrCreatePerson(book.get(), entry.firstName, entry.lastName, entry.address, groupName, &reused);
        if (person && reused && reportAddressNotFiled(*book, *person, line, entry.address))
            ++notFiled;
        // A person on whom nothing was set (an empty line) is in no address book; as
        // a member it would name a card that exists nowhere.
        if (person && book->isPartOfBook(*person)) {
            book->addMember(*group, *person);
            members.insert(*person);
        }
    }
    // A save that fails (a read-only folder) is not the success the caller would
    // otherwise report.
    if (!book->save()) {
        platform::desktop::log(
            QStringLiteral("Could not save the address book; the group \"%1\" is incomplete").arg(groupName));
        return false;
    }
    const QString people = members.size() == 1 ? QStringLiteral("1 person")
                                               : QStringLiteral("%1 people").arg(members.size());
    const QString summary = QStringLiteral("%1 added to the group \"%2\"").arg(people, groupName);
    if (notFiled == 0) {
        showResult(summary);
        return true;
    }
    tellPerson(summary, notFiled == 1 ? QStringLiteral("1 address not added: its person is in the address book "
                                                       "with another")
                                      : QStringLiteral("%1 addresses not added: their people are in the address "
                                                       "book with others")
                                            .arg(notFiled));
    return true;
}

}  // namespace quorvell

#include "platform/addressbook/AddressBook.h"

#include "platform/addressbook/CardFiles.h"
#include "platform/addressbook/FileBatch.h"
#include "platform/addressbook/FolderLock.h"
#include "platform/addressbook/VCardText.h"
#include "platform/desktop/Log.h"

#include <KContacts/Addressee>
#include <KContacts/VCardConverter>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform::addressbook {
namespace {

enum class Kind { Person, Group };

struct Record {
    Kind kind = Kind::Person;
    QString firstName;
    QString lastName;
    QString email;
    QStringList emails;       // of a card read from the folder
    QString category;
    QString groupName;
    QString uid;              // empty while the card has none
    bool uidOnDisk = false;   // the card in the folder carries uid
    QByteArray fileName;      // in the folder
    bool linked = false;      // its file is read through a link and never written
    std::optional<FileIdentity> identity;  // of its file as last read or written
    int block = -1;           // which card of its file, for cards read from the folder
    bool created = false;     // by this book
    bool added = false;       // part of the book
    bool dirty = false;       // created, and changed since its last write
    std::vector<RecordId> members;
    QSet<RecordId> memberSet;
    QSet<QString> memberReferences;  // two cards with one UID are one member
};

// A file of the folder with at least one card without UID, kept as read so that a
// UID can be inserted without re-reading or re-encoding it.
struct UidlessFile {
    QByteArray bytes;
    FileIdentity identity;
    std::vector<vcard::CardBlock> blocks;
    std::vector<RecordId> pending;  // people given a UID that is not on disk yet
};

QString personKey(const QString& firstName, const QString& lastName)
{
    return firstName.toCaseFolded() + QChar(0) + lastName.toCaseFolded();
}

bool isGroupCard(const KContacts::Addressee& card)
{
    return card.kind().compare(QLatin1String("group"), Qt::CaseInsensitive) == 0
        || card.custom(QStringLiteral("ADDRESSBOOKSERVER"), QStringLiteral("KIND"))
               .compare(QLatin1String("group"), Qt::CaseInsensitive)
        == 0;
}

}  // namespace

struct AddressBook::Private {
    QString folder;
    int folderFd = -1;
    std::unique_ptr<FolderLock> lock;
    std::vector<Record> records;
    QHash<QString, std::vector<RecordId>> people;  // personKey -> ids in book order
    QHash<QString, std::vector<RecordId>> groups;  // case-folded name -> ids in book order
    QHash<QByteArray, UidlessFile> uidlessFiles;
    QSet<QByteArray> refusedLinks;  // linked files already logged as joining no group
    QStringList unreadable;
    int uidFailures = 0;

    Private() = default;
    Private(const Private&) = delete;
    Private& operator=(const Private&) = delete;
    ~Private()
    {
        if (folderFd >= 0)
            ::close(folderFd);
    }

    bool valid(RecordId id) const { return id >= 0 && id < RecordId(records.size()); }

    void index(RecordId id)
    {
        const Record& r = records[size_t(id)];
        auto& ids = r.kind == Kind::Person ? people[personKey(r.firstName, r.lastName)]
                                           : groups[r.groupName.toCaseFolded()];
        ids.insert(std::upper_bound(ids.begin(), ids.end(), id), id);
    }

    void unindex(RecordId id)
    {
        const Record& r = records[size_t(id)];
        auto& map = r.kind == Kind::Person ? people : groups;
        const QString key = r.kind == Kind::Person ? personKey(r.firstName, r.lastName) : r.groupName.toCaseFolded();
        auto found = map.find(key);
        if (found != map.end())
            found->erase(std::remove(found->begin(), found->end(), id), found->end());
    }

    void readFile(const QByteArray& name, const KContacts::VCardConverter& converter);
    void dropUidInsertion(const QByteArray& fileName);
    void stageUidInsertions(FileBatch& batch, QHash<QByteArray, QByteArray>& staged);
    void finishUidInsertions(const QHash<QByteArray, QByteArray>& staged, const QHash<QByteArray, FileIdentity>& written);
    // File name -> the record and whether its card is complete.
    using Staged = QHash<QByteArray, std::pair<RecordId, bool>>;
    Staged stageCreated(Kind kind, FileBatch& batch);
    void finishCreated(const Staged& staged, const QHash<QByteArray, FileIdentity>& written);
};

void AddressBook::Private::readFile(const QByteArray& name, const KContacts::VCardConverter& converter)
{
    const QString shown = QFile::decodeName(name);
    const auto skip = [&](const QString& why) {
        unreadable << shown;
        platform::desktop::log(QStringLiteral("Skipping \"%1\" in the address book: %2").arg(shown, why));
    };
    const CardFile file = readCardFile(folderFd, name);
    switch (file.status) {
    case CardFileStatus::Read: break;
    case CardFileStatus::NotRegular: return skip(QStringLiteral("it is not a regular file"));
    case CardFileStatus::Dangling: return skip(QStringLiteral("it is a symbolic link that leads nowhere"));
    case CardFileStatus::TooLarge:
        return skip(QStringLiteral("it is larger than the limit of %1 MiB").arg(kLargestCardFile / (1024 * 1024)));
    case CardFileStatus::Unreadable:
        return skip(QStringLiteral("it cannot be read (%1)").arg(QString::fromLocal8Bit(std::strerror(file.error))));
    }
    const std::optional<std::vector<vcard::CardBlock>> blocks = vcard::splitCards(file.bytes);
    // KF5 Contacts drops an unterminated card without a word, so the count of the
    // cards it returns is checked against the cards found in the text.
    const KContacts::Addressee::List cards =
        blocks ? converter.parseVCards(vcard::withoutByteOrderMark(file.bytes)) : KContacts::Addressee::List();
    if (!blocks || size_t(cards.size()) != blocks->size())
        return skip(QStringLiteral("it is not a complete vCard"));
    for (int i = 0; i < cards.size(); ++i) {
        const KContacts::Addressee& card = cards[i];
        const vcard::CardBlock& block = (*blocks)[size_t(i)];
        Record r;
        r.kind = isGroupCard(card) ? Kind::Group : Kind::Person;
        r.firstName = card.givenName();
        r.lastName = card.familyName();
        r.email = card.preferredEmail();
        r.emails = card.emails();
        r.groupName = card.formattedName();
        // Without a UID line the parser makes up a new UID at every parse.
        r.uid = block.hasUid ? card.uid() : QString();
        r.uidOnDisk = block.hasUid;
        r.fileName = name;
        r.linked = file.linked;
        r.identity = file.identity;
        r.block = i;
        r.added = true;
        records.push_back(std::move(r));
        index(RecordId(records.size() - 1));
        if (!block.hasUid && !file.linked) {
            UidlessFile& kept = uidlessFiles[name];
            kept.bytes = file.bytes;
            kept.identity = file.identity;
            kept.blocks = *blocks;
        }
    }
}

void AddressBook::Private::dropUidInsertion(const QByteArray& fileName)
{
    UidlessFile& kept = uidlessFiles[fileName];
    platform::desktop::log(QStringLiteral("Could not give \"%1\" in the address book a UID; it joins no group")
                               .arg(QFile::decodeName(fileName)));
    for (const RecordId id : kept.pending) {
        const QString reference = vcard::memberReference(records[size_t(id)].uid);
        records[size_t(id)].uid.clear();
        for (Record& r : records) {
            if (r.memberSet.remove(id)) {
                r.members.erase(std::remove(r.members.begin(), r.members.end(), id), r.members.end());
                r.memberReferences.remove(reference);
            }
        }
    }
    kept.pending.clear();
    ++uidFailures;
}

// A file that changed since it was read is left alone: its people lose the UID
// they were promised, and the groups do not name them. The batch checks once more
// right before its rename.
void AddressBook::Private::stageUidInsertions(FileBatch& batch, QHash<QByteArray, QByteArray>& staged)
{
    for (auto it = uidlessFiles.begin(); it != uidlessFiles.end(); ++it) {
        UidlessFile& kept = it.value();
        if (kept.pending.empty())
            continue;
        const CardFile current = readCardFile(folderFd, it.key());
        const bool unchanged = current.status == CardFileStatus::Read && !current.linked
            && current.identity == kept.identity && current.bytes == kept.bytes;
        QByteArray edited = kept.bytes;
        // From the last card to the first, so earlier offsets stay valid.
        std::vector<RecordId> pending = kept.pending;
        std::sort(pending.begin(), pending.end(),
                  [&](RecordId a, RecordId b) { return records[size_t(a)].block > records[size_t(b)].block; });
        for (const RecordId id : pending)
            edited = vcard::insertUid(edited, kept.blocks[size_t(records[size_t(id)].block)], records[size_t(id)].uid);
        if (unchanged && batch.add(it.key(), edited, kept.identity))
            staged.insert(it.key(), edited);
        else
            dropUidInsertion(it.key());
    }
}

void AddressBook::Private::finishUidInsertions(const QHash<QByteArray, QByteArray>& staged,
                                               const QHash<QByteArray, FileIdentity>& written)
{
    for (auto it = staged.begin(); it != staged.end(); ++it) {
        const auto identity = written.find(it.key());
        if (identity == written.end()) {
            dropUidInsertion(it.key());
            continue;
        }
        UidlessFile& kept = uidlessFiles[it.key()];
        kept.bytes = it.value();
        kept.identity = *identity;
        if (auto blocks = vcard::splitCards(kept.bytes))
            kept.blocks = *blocks;
        for (const RecordId id : kept.pending)
            records[size_t(id)].uidOnDisk = true;
        kept.pending.clear();
    }
}

AddressBook::Private::Staged AddressBook::Private::stageCreated(Kind kind, FileBatch& batch)
{
    Staged staged;
    for (size_t i = 0; i < records.size(); ++i) {
        Record& r = records[i];
        if (r.kind != kind || !r.created || !r.added || !r.dirty)
            continue;
        QByteArray card;
        bool complete = true;
        if (kind == Kind::Person) {
            card = vcard::personCard(r.uid, r.firstName, r.lastName, r.email, r.category);
        } else {
            QStringList references;
            for (const RecordId id : r.members) {
                const Record& member = records[size_t(id)];
                if (member.uidOnDisk)
                    references << vcard::memberReference(member.uid);
                else
                    complete = false;
            }
            card = vcard::groupCard(r.uid, r.groupName, references);
        }
        if (batch.add(r.fileName, card, r.identity))
            staged.insert(r.fileName, {RecordId(i), complete});
    }
    return staged;
}

void AddressBook::Private::finishCreated(const Staged& staged, const QHash<QByteArray, FileIdentity>& written)
{
    for (auto it = written.begin(); it != written.end(); ++it) {
        const auto found = staged.find(it.key());
        if (found == staged.end())
            continue;
        Record& r = records[size_t(found->first)];
        r.identity = it.value();
        if (found->second) {
            r.uidOnDisk = true;
            r.dirty = false;
        }
    }
}

AddressBook::AddressBook(std::unique_ptr<Private> data) : d(std::move(data)) {}
AddressBook::~AddressBook() = default;

QString AddressBook::defaultFolder()
{
    // The XDG rules: an unset, empty or relative XDG_DATA_HOME is ignored.
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return dataHome + QStringLiteral("/quorvell/addressbook");
}

std::unique_ptr<AddressBook> AddressBook::open(const QString& folder, std::chrono::milliseconds lockTimeout)
{
    const QFileInfo info(folder);
    if (!info.exists()) {
        if (!QDir().mkpath(folder))
            return nullptr;
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    } else if (!info.isDir() || !info.isReadable()) {
        return nullptr;
    }
    auto d = std::make_unique<Private>();
    d->folder = QFileInfo(folder).absoluteFilePath();
    d->lock = FolderLock::acquire(d->folder, lockTimeout);
    if (!d->lock)
        return nullptr;
    FileBatch::removeLeftovers(d->folder);
    d->folderFd = ::open(QFile::encodeName(d->folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (d->folderFd < 0)
        return nullptr;
    const std::optional<std::vector<QByteArray>> files = listCardFiles(d->folderFd);
    if (!files)
        return nullptr;
    const KContacts::VCardConverter converter;
    d->records.reserve(files->size());
    for (const QByteArray& name : *files)
        d->readFile(name, converter);
    return std::unique_ptr<AddressBook>(new AddressBook(std::move(d)));
}

RecordId AddressBook::createPerson()
{
    Record r;
    r.created = true;
    r.dirty = true;
    r.uid = vcard::newUid();
    r.fileName = r.uid.mid(QStringLiteral("urn:uuid:").size()).toLatin1() + ".vcf";
    d->records.push_back(std::move(r));
    return RecordId(d->records.size() - 1);
}

RecordId AddressBook::createGroup()
{
    const RecordId id = createPerson();
    d->records[size_t(id)].kind = Kind::Group;
    return id;
}

bool AddressBook::setValue(RecordId record, Property property, const QString& value)
{
    if (!d->valid(record) || !d->records[size_t(record)].created)
        return false;
    Record& r = d->records[size_t(record)];
    const bool forGroup = property == Property::GroupName;
    if (forGroup != (r.kind == Kind::Group))
        return false;
    if (r.added)
        d->unindex(record);
    switch (property) {
    case Property::FirstName: r.firstName = value; break;
    case Property::LastName: r.lastName = value; break;
    case Property::Email: r.email = value; break;
    case Property::Category: r.category = value; break;
    case Property::GroupName: r.groupName = value; break;
    }
    if (r.added)
        d->index(record);
    r.dirty = true;
    return true;
}

bool AddressBook::addRecord(RecordId record)
{
    if (!d->valid(record) || !d->records[size_t(record)].created)
        return false;
    if (!d->records[size_t(record)].added) {
        d->records[size_t(record)].added = true;
        d->index(record);
    }
    return true;
}

bool AddressBook::addMember(RecordId group, RecordId person)
{
    if (!d->valid(group) || !d->valid(person))
        return false;
    Record& g = d->records[size_t(group)];
    Record& p = d->records[size_t(person)];
    if (g.kind != Kind::Group || !g.created || !g.added || p.kind != Kind::Person || !p.added)
        return false;
    if (g.memberSet.contains(person))
        return true;
    if (p.uid.isEmpty()) {
        if (p.linked) {
            if (!d->refusedLinks.contains(p.fileName)) {
                d->refusedLinks.insert(p.fileName);
                platform::desktop::log(
                    QStringLiteral("\"%1\" in the address book is a link and has no UID; it joins no group")
                        .arg(QFile::decodeName(p.fileName)));
            }
            return false;
        }
        p.uid = vcard::newUid();
        d->uidlessFiles[p.fileName].pending.push_back(person);
    } else if (g.memberReferences.contains(vcard::memberReference(p.uid))) {
        return true;
    }
    g.memberReferences.insert(vcard::memberReference(p.uid));
    g.memberSet.insert(person);
    g.members.push_back(person);
    g.dirty = true;
    return true;
}

bool AddressBook::save()
{
    const auto isClean = [&] {
        for (const Record& r : d->records) {
            if (r.created && r.added && r.dirty)
                return false;
        }
        for (const UidlessFile& kept : std::as_const(d->uidlessFiles)) {
            if (!kept.pending.empty())
                return false;
        }
        return true;
    };
    // Two batches, people first, so a group card never names a card not on disk.
    const auto committed = [](FileBatch& batch) {
        QHash<QByteArray, FileIdentity> written;
        for (const FileBatch::Written& file : batch.commit())
            written.insert(file.fileName, file.identity);
        return written;
    };
    FileBatch people(d->folder);
    QHash<QByteArray, QByteArray> edited;
    const int uidFailuresBefore = d->uidFailures;
    d->stageUidInsertions(people, edited);
    const Private::Staged newPeople = d->stageCreated(Kind::Person, people);
    const QHash<QByteArray, FileIdentity> writtenPeople = committed(people);
    d->finishUidInsertions(edited, writtenPeople);
    d->finishCreated(newPeople, writtenPeople);

    FileBatch groups(d->folder);
    const Private::Staged newGroups = d->stageCreated(Kind::Group, groups);
    d->finishCreated(newGroups, committed(groups));
    return isClean() && d->uidFailures == uidFailuresBefore;
}

std::vector<RecordId> AddressBook::peopleNamed(const QString& firstName, const std::optional<QString>& lastName) const
{
    const QString last = lastName.value_or(QString());
    if (firstName.isEmpty() && last.isEmpty())
        return {};
    return d->people.value(personKey(firstName, last));
}

std::vector<RecordId> AddressBook::groupsNamed(const QString& name) const
{
    return d->groups.value(name.toCaseFolded());
}

bool AddressBook::isPartOfBook(RecordId record) const
{
    return d->valid(record) && d->records[size_t(record)].added;
}

QString AddressBook::value(RecordId record, Property property) const
{
    if (!d->valid(record))
        return {};
    const Record& r = d->records[size_t(record)];
    switch (property) {
    case Property::FirstName: return r.firstName;
    case Property::LastName: return r.lastName;
    case Property::Email: return r.email;
    case Property::Category: return r.category;
    case Property::GroupName: return r.groupName;
    }
    return {};
}

QStringList AddressBook::emails(RecordId person) const
{
    if (!d->valid(person))
        return {};
    const Record& r = d->records[size_t(person)];
    if (!r.created)
        return r.emails;
    return r.email.isEmpty() ? QStringList() : QStringList{r.email};
}

QStringList AddressBook::members(RecordId group) const
{
    QStringList references;
    if (!d->valid(group))
        return references;
    for (const RecordId id : d->records[size_t(group)].members)
        references << vcard::memberReference(d->records[size_t(id)].uid);
    return references;
}

QString AddressBook::folder() const
{
    return d->folder;
}

QStringList AddressBook::unreadableFiles() const
{
    return d->unreadable;
}

}  // namespace platform::addressbook

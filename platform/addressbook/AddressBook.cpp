#include "platform/addressbook/AddressBook.h"

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
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::addressbook {
namespace {

enum class Kind { Person, Group };

struct Record {
    Kind kind = Kind::Person;
    QString firstName;
    QString lastName;
    QString email;
    QString groupName;
    QString uid;              // empty while the card has none
    bool uidOnDisk = false;   // the card in the folder carries uid
    QString fileName;         // in the folder
    int block = -1;           // which card of its file, for cards read from the folder
    bool created = false;     // by this book
    bool added = false;       // part of the book
    bool dirty = false;       // created, and changed since its last write
    std::vector<RecordId> members;
    QSet<RecordId> memberSet;
};

// A file of the folder with at least one card without UID, kept as read so that a
// UID can be inserted without re-reading or re-encoding it.
struct UidlessFile {
    QByteArray bytes;
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

// The folder's "*.vcf" names (hidden files aside) in byte order. readdir and
// openat rather than QDir and QFile: with ten thousand cards the Qt calls' extra
// stat() per file doubles the time an import spends reading the folder.
std::optional<std::vector<QByteArray>> listCardFiles(int folderFd)
{
    DIR* dir = ::fdopendir(::dup(folderFd));
    if (!dir)
        return std::nullopt;
    std::vector<QByteArray> names;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!name.startsWith('.') && name.endsWith(".vcf"))
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// The bytes of a regular file of the folder; none when it cannot be read or is
// far larger than any address card (a QByteArray holds less than 2 GiB).
std::optional<QByteArray> readFileAt(int folderFd, const QByteArray& name)
{
    constexpr off_t kLargestCardFile = 64 * 1024 * 1024;
    const int fd = ::openat(folderFd, name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    std::optional<QByteArray> bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kLargestCardFile) {
        QByteArray buffer(int(info.st_size), Qt::Uninitialized);
        int filled = 0;
        for (;;) {
            if (filled == buffer.size()) {
                if (buffer.size() > kLargestCardFile)
                    break;
                buffer.resize(buffer.size() + 4096);  // the file grew while read
            }
            const ssize_t n = ::read(fd, buffer.data() + filled, size_t(buffer.size() - filled));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                if (n == 0) {
                    buffer.truncate(filled);
                    bytes = std::move(buffer);
                }
                break;
            }
            filled += int(n);
        }
    }
    ::close(fd);
    return bytes;
}

}  // namespace

struct AddressBook::Private {
    QString folder;
    std::unique_ptr<FolderLock> lock;
    std::vector<Record> records;
    QHash<QString, std::vector<RecordId>> people;  // personKey -> ids in book order
    QHash<QString, std::vector<RecordId>> groups;  // case-folded name -> ids in book order
    QHash<QString, UidlessFile> uidlessFiles;
    QStringList unreadable;
    int uidFailures = 0;

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

    void readFile(int folderFd, const QByteArray& name, const KContacts::VCardConverter& converter);
    void dropUidInsertion(const QString& fileName);
    void stageUidInsertions(FileBatch& batch, QHash<QString, QByteArray>& staged);
    void finishUidInsertions(const QHash<QString, QByteArray>& staged, const QStringList& written);
    QHash<QString, RecordId> stageCreated(Kind kind, FileBatch& batch);
    void finishCreated(const QHash<QString, RecordId>& staged, const QStringList& written);
};

void AddressBook::Private::readFile(int folderFd, const QByteArray& name, const KContacts::VCardConverter& converter)
{
    const QString fileName = QFile::decodeName(name);
    std::optional<std::vector<vcard::CardBlock>> blocks;
    const std::optional<QByteArray> read = readFileAt(folderFd, name);
    const QByteArray bytes = read.value_or(QByteArray());
    if (read)
        blocks = vcard::splitCards(bytes);
    // KF5 Contacts drops an unterminated card without a word, so the count of the
    // cards it returns is checked against the cards found in the text.
    const KContacts::Addressee::List cards = blocks ? converter.parseVCards(bytes) : KContacts::Addressee::List();
    if (!blocks || size_t(cards.size()) != blocks->size()) {
        unreadable << fileName;
        platform::desktop::log(
            QStringLiteral("Skipping \"%1\" in the address book: it is not a complete vCard").arg(fileName));
        return;
    }
    for (int i = 0; i < cards.size(); ++i) {
        const KContacts::Addressee& card = cards[i];
        const vcard::CardBlock& block = (*blocks)[size_t(i)];
        Record r;
        r.kind = isGroupCard(card) ? Kind::Group : Kind::Person;
        r.firstName = card.givenName();
        r.lastName = card.familyName();
        r.email = card.preferredEmail();
        r.groupName = card.formattedName();
        // Without a UID line the parser makes up a new UID at every parse.
        r.uid = block.hasUid ? card.uid() : QString();
        r.uidOnDisk = block.hasUid;
        r.fileName = fileName;
        r.block = i;
        r.added = true;
        records.push_back(std::move(r));
        index(RecordId(records.size() - 1));
        if (!block.hasUid) {
            UidlessFile& kept = uidlessFiles[fileName];
            kept.bytes = bytes;
            kept.blocks = *blocks;
        }
    }
}

void AddressBook::Private::dropUidInsertion(const QString& fileName)
{
    UidlessFile& kept = uidlessFiles[fileName];
    platform::desktop::log(
        QStringLiteral("Could not give \"%1\" in the address book a UID; it joins no group").arg(fileName));
    for (const RecordId id : kept.pending) {
        records[size_t(id)].uid.clear();
        for (Record& r : records) {
            if (r.memberSet.remove(id))
                r.members.erase(std::remove(r.members.begin(), r.members.end(), id), r.members.end());
        }
    }
    kept.pending.clear();
    ++uidFailures;
}

// A file that changed since it was read is left alone: its people lose the UID
// they were promised, and the groups do not name them.
void AddressBook::Private::stageUidInsertions(FileBatch& batch, QHash<QString, QByteArray>& staged)
{
    for (auto it = uidlessFiles.begin(); it != uidlessFiles.end(); ++it) {
        UidlessFile& kept = it.value();
        if (kept.pending.empty())
            continue;
        QFile current(QDir(folder).filePath(it.key()));
        const bool unchanged = current.open(QIODevice::ReadOnly) && current.readAll() == kept.bytes;
        QByteArray edited = kept.bytes;
        // From the last card to the first, so earlier offsets stay valid.
        std::vector<RecordId> pending = kept.pending;
        std::sort(pending.begin(), pending.end(),
                  [&](RecordId a, RecordId b) { return records[size_t(a)].block > records[size_t(b)].block; });
        for (const RecordId id : pending)
            edited = vcard::insertUid(edited, kept.blocks[size_t(records[size_t(id)].block)], records[size_t(id)].uid);
        if (unchanged && batch.add(it.key(), edited))
            staged.insert(it.key(), edited);
        else
            dropUidInsertion(it.key());
    }
}

void AddressBook::Private::finishUidInsertions(const QHash<QString, QByteArray>& staged, const QStringList& written)
{
    for (auto it = staged.begin(); it != staged.end(); ++it) {
        if (!written.contains(it.key())) {
            dropUidInsertion(it.key());
            continue;
        }
        UidlessFile& kept = uidlessFiles[it.key()];
        kept.bytes = it.value();
        if (auto blocks = vcard::splitCards(kept.bytes))
            kept.blocks = *blocks;
        for (const RecordId id : kept.pending)
            records[size_t(id)].uidOnDisk = true;
        kept.pending.clear();
    }
}

QHash<QString, RecordId> AddressBook::Private::stageCreated(Kind kind, FileBatch& batch)
{
    QHash<QString, RecordId> staged;
    for (size_t i = 0; i < records.size(); ++i) {
        Record& r = records[i];
        if (r.kind != kind || !r.created || !r.added || !r.dirty)
            continue;
        QByteArray card;
        bool complete = true;
        if (kind == Kind::Person) {
            card = vcard::personCard(r.uid, r.firstName, r.lastName, r.email);
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
        if (batch.add(r.fileName, card) && complete)
            staged.insert(r.fileName, RecordId(i));
    }
    return staged;
}

void AddressBook::Private::finishCreated(const QHash<QString, RecordId>& staged, const QStringList& written)
{
    for (const QString& fileName : written) {
        const auto found = staged.find(fileName);
        if (found != staged.end()) {
            records[size_t(*found)].uidOnDisk = true;
            records[size_t(*found)].dirty = false;
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
    const int folderFd = ::open(QFile::encodeName(d->folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return nullptr;
    const std::optional<std::vector<QByteArray>> files = listCardFiles(folderFd);
    if (files) {
        const KContacts::VCardConverter converter;
        d->records.reserve(files->size());
        for (const QByteArray& name : *files)
            d->readFile(folderFd, name, converter);
    }
    ::close(folderFd);
    if (!files)
        return nullptr;
    return std::unique_ptr<AddressBook>(new AddressBook(std::move(d)));
}

RecordId AddressBook::createPerson()
{
    Record r;
    r.created = true;
    r.dirty = true;
    r.uid = vcard::newUid();
    r.fileName = r.uid.mid(QStringLiteral("urn:uuid:").size()) + QStringLiteral(".vcf");
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
        p.uid = vcard::newUid();
        d->uidlessFiles[p.fileName].pending.push_back(person);
    }
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
    FileBatch people(d->folder);
    QHash<QString, QByteArray> edited;
    const int uidFailuresBefore = d->uidFailures;
    d->stageUidInsertions(people, edited);
    const QHash<QString, RecordId> newPeople = d->stageCreated(Kind::Person, people);
    const QStringList writtenPeople = people.commit();
    d->finishUidInsertions(edited, writtenPeople);
    d->finishCreated(newPeople, writtenPeople);

    FileBatch groups(d->folder);
    const QHash<QString, RecordId> newGroups = d->stageCreated(Kind::Group, groups);
    d->finishCreated(newGroups, groups.commit());
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
    case Property::GroupName: return r.groupName;
    }
    return {};
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

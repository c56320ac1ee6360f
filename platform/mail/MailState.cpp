#include "platform/mail/MailState.h"

#include "platform/mail/MailLog.h"
#include "platform/mail/MaildirSource.h"
#include "platform/mail/ThunderbirdSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>


namespace platform::mail {
namespace {

constexpr int kLockTimeoutMs = 5000;

QString defaultDirectory()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    // The XDG rule: a relative path is invalid and ignored.
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/quorvell/mail");
}

bool writeAtomically(const QString& path, const QByteArray& data, QString* error)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (error)
            *error = QStringLiteral("cannot create the folder %1").arg(QFileInfo(path).absolutePath());
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QHash<QString, qint64> readIds(const QString& path, qint64* highest)
{
    QHash<QString, qint64> result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const qsizetype blank = line.indexOf(' ');
        if (blank <= 0)
            continue;
        bool ok = false;
        const qint64 id = line.left(blank).toLongLong(&ok);
        const QString name = QString::fromUtf8(line.mid(blank + 1)).trimmed();
        if (!ok || id <= 0 || name.isEmpty())
            continue;
        *highest = std::max(*highest, id);
        result.insert(name, id);
    }
    return result;
}

// What the outermost SelectionScope of this thread has read.
struct ScopedSelection {
    bool active = false;
    std::optional<QString> key;  // the state folder
    MailState::Read read;
};
thread_local ScopedSelection t_scoped;

}  // namespace

SelectionScope::SelectionScope() : m_outermost(!t_scoped.active)
{
    t_scoped.active = true;
}

SelectionScope::~SelectionScope()
{
    if (m_outermost) {
        t_scoped = {};
        forgetFetchedMessages();
    }
}

MailState::MailState() : m_directory(defaultDirectory()) {}

MailState::MailState(QString directory) : m_directory(std::move(directory)) {}

std::optional<SelectionRecord> MailState::storedRecord() const
{
    QFile file(m_directory + QStringLiteral("/selection"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parseSelection(file.readAll());
}

std::optional<QStringList> MailState::storedSelection() const
{
    const std::optional<SelectionRecord> record = storedRecord();
    if (!record)
        return std::nullopt;
    QStringList names;
    for (const SelectedMessage& message : record->messages)
        names.append(message.uniqueName);
    return names;
}

namespace {

// The mailbox of a selection whose header names sourceKind and root (both empty
// for none, or without a selection).
MailboxLookup mailboxOf(const QString& sourceKind, const QString& root, const QString& stateDirectory,
                        std::shared_ptr<MessageSource>* source)
{
    if (sourceKind.isEmpty()) {
        MailboxLookup found = Mailbox::lookup();
        if (found.problem.isEmpty() && !found.root.isEmpty())
            *source = openSource(QString::fromLatin1(kMaildirSource), found.root, stateDirectory);
        return found;
    }
    MailboxLookup found{MailboxLookup::Source::Selection, root, {}};
    *source = openSource(sourceKind, root, stateDirectory);
    if (!*source)
        found.problem = QStringLiteral("the selection was made in a kind of mailbox this version cannot read "
                                       "(\"%1\" at %2)").arg(sourceKind, root);
    else if (sourceKind == QLatin1String(kMaildirSource) && !QFileInfo::exists(root))
        found.problem = QStringLiteral("the selection's mailbox %1 no longer exists").arg(root);
    else
        found.problem = (*source)->problem();
    if (!found.problem.isEmpty()) {
        found.root.clear();
        source->reset();
    }
    return found;
}

}  // namespace

MailboxLookup MailState::mailbox() const
{
    if (t_scoped.active && t_scoped.key == m_directory)
        return t_scoped.read.mailbox;
    // The header lines alone name the mailbox: a long selection is not read for it.
    std::optional<SelectionRecord> head;
    QFile file(m_directory + QStringLiteral("/selection"));
    if (file.open(QIODevice::ReadOnly)) {
        QByteArray text;
        for (int line = 0; line < 3 && !file.atEnd(); ++line)
            text += file.readLine();
        head = parseSelection(text);
    }
    std::shared_ptr<MessageSource> source;
    return head ? mailboxOf(head->sourceKind, head->root, m_directory, &source)
                : mailboxOf({}, {}, m_directory, &source);
}

MailState::Read MailState::read() const
{
    if (t_scoped.active && t_scoped.key == m_directory)
        return t_scoped.read;
    Read result;
    // Read compactly: a long selection costs its file's size, not strings a message.
    std::optional<CompactSelection> record;
    if (QFile file(m_directory + QStringLiteral("/selection")); file.open(QIODevice::ReadOnly))
        record = CompactSelection::parse(file.readAll());
    result.mailbox = record ? mailboxOf(record->sourceKind, record->root, m_directory, &result.source)
                            : mailboxOf({}, {}, m_directory, &result.source);
    if (result.source && !record) {
        QFile defaults(result.source->root() + QLatin1Char('/') + QLatin1String(kDefaultSelectionFile));
        if (defaults.open(QIODevice::ReadOnly))
            record = CompactSelection::parse(defaults.readAll());
    }
    if (result.source && record) {
        ResolvedSelection resolved = result.source->resolve(record->messages);
        result.messages = resolved.table ? std::move(resolved.table)
                                         : std::make_shared<const LocationTable>(resolved.found);
        result.selected = result.messages->size() + resolved.gone;
        if (!resolved.problem.isEmpty())
            result.mailbox.problem = resolved.problem;
    }
    result.sourceKind = result.source ? result.source->kind() : record ? record->sourceKind : QString();
    if (t_scoped.active) {
        t_scoped.key = m_directory;
        t_scoped.read = result;
    }
    return result;
}

bool MailState::writeRecord(const SelectionRecord& record, QString* error) const
{
    for (const SelectedMessage& message : record.messages) {
        if (message.uniqueName.contains(QLatin1Char('\n')) || message.uniqueName.trimmed().isEmpty()) {
            if (error)
                *error = QStringLiteral("not a message name: \"%1\"").arg(message.uniqueName);
            return false;
        }
    }
    return writeAtomically(m_directory + QStringLiteral("/selection"), formatSelection(record), error);
}

bool MailState::writeSelection(const MessageSource& source, const QVector<MessageLocation>& messages,
                               QString* error) const
{
    return writeRecord({2, source.kind(), source.root(), source.record(messages)}, error);
}

bool MailState::writeSelection(const QStringList& uniqueNames, QString* error) const
{
    SelectionRecord record;
    const MailboxLookup found = Mailbox::lookup();
    if (found.problem.isEmpty() && !found.root.isEmpty()) {
        const auto source = std::make_shared<MaildirSource>(Mailbox(found.root), m_directory);
        std::vector<std::optional<MessageLocation>> each = source->mailbox().findEach(uniqueNames);
        QVector<MessageLocation> present;
        for (const auto& location : each) {
            if (location)
                present.append(*location);
        }
        const QVector<SelectedMessage> recorded = source->record(present);
        record.sourceKind = source->kind();
        record.root = source->root();
        for (qsizetype i = 0, next = 0; i < uniqueNames.size(); ++i)
            record.messages.append(each[size_t(i)] ? recorded.at(next++) : SelectedMessage{uniqueNames.at(i), {}, {}});
    } else {
        for (const QString& name : uniqueNames)
            record.messages.append({name, {}, {}});
    }
    return writeRecord(record, error);
}

QHash<QString, qint64> MailState::ids(const QStringList& uniqueNames) const
{
    const QString path = m_directory + QStringLiteral("/ids");
    QDir().mkpath(m_directory);
    QLockFile lock(path + QStringLiteral(".lock"));
    const bool locked = lock.tryLock(kLockTimeoutMs);
    qint64 highest = 0;
    QHash<QString, qint64> known = readIds(path, &highest);
    QByteArray added;
    QHash<QString, qint64> result;
    for (const QString& name : uniqueNames) {
        // A name the file cannot hold as one line, or would read back otherwise
        // (a line break, blanks at its ends), gets no id rather than a wrong one.
        if (name.isEmpty() || name != name.trimmed() || name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r'))) {
            qCInfo(lcMail, "A message file name that an id cannot be kept for gets none");
            continue;
        }
        auto found = known.constFind(name);
        if (found == known.constEnd()) {
            found = known.insert(name, ++highest);
            added += QByteArray::number(highest) + ' ' + name.toUtf8() + '\n';
        }
        result.insert(name, *found);
    }
    // Without the lock another process may be writing: the ids given out now are
    // then not kept, which is better than losing the other process's.
    if (!added.isEmpty() && locked) {
        QFile current(path);
        QByteArray data = current.open(QIODevice::ReadOnly) ? current.readAll() : QByteArray();
        if (!data.isEmpty() && !data.endsWith('\n'))
            data += '\n';
        (void)writeAtomically(path, data + added, nullptr);
    }
    return result;
}

QHash<qint64, QString> MailState::namesById() const
{
    qint64 highest = 0;
    const QHash<QString, qint64> known = readIds(m_directory + QStringLiteral("/ids"), &highest);
    QHash<qint64, QString> result;
    result.reserve(known.size());
    for (auto it = known.constBegin(); it != known.constEnd(); ++it)
        result.insert(it.value(), it.key());
    return result;
}

}  // namespace platform::mail

#include "platform/mail/MailState.h"

#include "platform/mail/MailLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <cstring>

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

std::optional<QStringList> readNames(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QStringList names;
    const QByteArray all = file.readAll();
    const char* data = all.constData();
    const qsizetype size = all.size();
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    for (qsizetype start = 0; start < size;) {
        const auto* lf = static_cast<const char*>(std::memchr(data + start, '\n', static_cast<size_t>(size - start)));
        const qsizetype end = lf ? lf - data : size;
        qsizetype from = start;
        qsizetype to = end;
        while (from < to && isSpace(data[from]))
            ++from;
        while (to > from && isSpace(data[to - 1]))
            --to;
        if (from < to && data[from] != '#') {
            // Trimmed again as text: a line of other white space holds no name.
            QString name = QString::fromUtf8(data + from, static_cast<int>(to - from));
            if (!name.front().isSpace() && !name.back().isSpace())
                names.append(name);
            else if (QString trimmed = name.trimmed(); !trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char('#')))
                names.append(trimmed);
        }
        start = end + 1;
    }
    return names;
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
    std::optional<std::pair<QString, QString>> key;  // state folder, mailbox root
    QVector<MessageLocation> messages;
};
thread_local ScopedSelection t_scoped;

}  // namespace

SelectionScope::SelectionScope() : m_outermost(!t_scoped.active)
{
    t_scoped.active = true;
}

SelectionScope::~SelectionScope()
{
    if (m_outermost)
        t_scoped = {};
}

MailState::MailState() : m_directory(defaultDirectory()) {}

MailState::MailState(QString directory) : m_directory(std::move(directory)) {}

std::optional<QStringList> MailState::storedSelection() const
{
    return readNames(m_directory + QStringLiteral("/selection"));
}

QStringList MailState::selectionNames(const Mailbox& mailbox) const
{
    if (auto stored = storedSelection())
        return *stored;
    if (!mailbox.exists())
        return {};
    return readNames(mailbox.root() + QLatin1Char('/') + QLatin1String(kDefaultSelectionFile)).value_or(QStringList());
}

QVector<MessageLocation> MailState::selection(const Mailbox& mailbox) const
{
    const std::pair<QString, QString> key{m_directory, mailbox.root()};
    if (t_scoped.active && t_scoped.key == key)
        return t_scoped.messages;
    const QVector<MessageLocation> found = mailbox.find(selectionNames(mailbox));
    if (t_scoped.active) {
        t_scoped.key = key;
        t_scoped.messages = found;
    }
    return found;
}

bool MailState::writeSelection(const QStringList& uniqueNames, QString* error) const
{
    QByteArray data;
    for (const QString& name : uniqueNames) {
        if (name.contains(QLatin1Char('\n')) || name.trimmed().isEmpty()) {
            if (error)
                *error = QStringLiteral("not a message name: \"%1\"").arg(name);
            return false;
        }
        data += name.toUtf8() + '\n';
    }
    return writeAtomically(m_directory + QStringLiteral("/selection"), data, error);
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

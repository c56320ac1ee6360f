#include "platform/mail/MailState.h"

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

std::optional<QStringList> readNames(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QStringList names;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QString name = QString::fromUtf8(line).trimmed();
        if (!name.isEmpty() && !name.startsWith(QLatin1Char('#')))
            names.append(name);
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

}  // namespace

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

QList<MessageLocation> MailState::selection(const Mailbox& mailbox) const
{
    const QStringList names = selectionNames(mailbox);
    if (names.isEmpty())
        return {};
    const QHash<QString, MessageLocation> index = mailbox.index();
    QList<MessageLocation> result;
    result.reserve(names.size());
    for (const QString& name : names) {
        const auto found = index.constFind(name);
        if (found != index.constEnd())
            result.append(*found);
    }
    return result;
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

#include "platform/mail/MessageIdIndex.h"

#include "platform/mail/HeaderBlock.h"
#include "platform/mail/ReadAhead.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstring>

namespace platform::mail {
namespace {

constexpr char kHeader[] = "# quorvell message-ids 2\t";

bool fitsOnALine(const QString& text)
{
    return !text.contains(QLatin1Char('\t')) && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
}

// Calls take(fields) for each line of the index below its header; false when the
// text is no index of root.
template <class Take>
bool forEachLine(const QByteArray& all, const QString& root, Take take)
{
    const QByteArray header = kHeader + root.toUtf8() + '\n';
    // Another root that hashes alike, an older version or a damaged file: start afresh.
    if (!all.startsWith(header))
        return false;
    const char* data = all.constData();
    for (qsizetype start = header.size(); start < all.size();) {
        const auto* lf = static_cast<const char*>(std::memchr(data + start, '\n', size_t(all.size() - start)));
        const qsizetype end = lf ? lf - data : all.size();
        const auto* first = static_cast<const char*>(std::memchr(data + start, '\t', size_t(end - start)));
        const auto* second = first ? static_cast<const char*>(std::memchr(first + 1, '\t', size_t(data + end - first - 1)))
                                   : nullptr;
        if (second && first > data + start) {
            take(QByteArray::fromRawData(data + start, int(first - data - start)),
                 QByteArray::fromRawData(first + 1, int(second - first - 1)),
                 QByteArray::fromRawData(second + 1, int(data + end - second - 1)));
        }
        start = end + 1;
    }
    return true;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

MessageIdIndex::MessageIdIndex(const QString& stateDirectory, const QString& root)
    : m_path(stateDirectory + QStringLiteral("/message-ids-")
             + QString::fromLatin1(QCryptographicHash::hash(root.toUtf8(), QCryptographicHash::Sha1).toHex().left(16)))
    , m_root(root)
{
}

void MessageIdIndex::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    const QByteArray all = readAll(m_path);
    forEachLine(all, m_root, [this](const QByteArray& name, const QByteArray& id, const QByteArray& file) {
        m_entries.insert(QString::fromUtf8(name), {QString::fromUtf8(id), QString::fromUtf8(file)});
    });
}

QString MessageIdIndex::fileOf(const MessageLocation& message) const
{
    const QString prefix = m_root + QLatin1Char('/');
    return message.path.startsWith(prefix) ? message.path.mid(prefix.size()) : QString();
}

QString MessageIdIndex::idOf(const MessageLocation& message)
{
    load();
    const QString file = fileOf(message);
    if (const auto known = m_entries.find(message.uniqueName); known != m_entries.end()) {
        if (known->file != file && fitsOnALine(file)) {
            known->file = file;
            m_changed = true;
        }
        return known->id;
    }
    const QByteArray block = ReadAhead::readHeader(message.path);
    const QString id = HeaderBlock(block).identifier("Message-ID");
    // An unreadable file is not remembered: it may be readable next time.
    if (!block.isEmpty() && fitsOnALine(message.uniqueName) && fitsOnALine(id) && fitsOnALine(file)) {
        m_entries.insert(message.uniqueName, {id, file});
        m_changed = true;
    }
    return id;
}

QHash<QString, QVector<MessageIdIndex::Known>> MessageIdIndex::filesWithIds(const QSet<QString>& ids) const
{
    QHash<QString, QVector<Known>> result;
    QSet<QByteArray> wanted;
    for (const QString& id : ids)
        wanted.insert(id.toUtf8());
    const QByteArray all = readAll(m_path);
    forEachLine(all, m_root, [&](const QByteArray& name, const QByteArray& id, const QByteArray& file) {
        if (wanted.contains(id))
            result[QString::fromUtf8(id)].append({QString::fromUtf8(name), QString::fromUtf8(file)});
    });
    return result;
}

void MessageIdIndex::keepOnly(const QHash<QString, MessageLocation>& everyMessage)
{
    load();
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (everyMessage.contains(it.key())) {
            ++it;
        } else {
            it = m_entries.erase(it);
            m_changed = true;
        }
    }
}

void MessageIdIndex::save()
{
    if (!m_changed)
        return;
    QByteArray data = kHeader + m_root.toUtf8() + '\n';
    data.reserve(m_entries.size() * 96);
    for (auto it = m_entries.constBegin(); it != m_entries.constEnd(); ++it)
        data += it.key().toUtf8() + '\t' + it->id.toUtf8() + '\t' + it->file.toUtf8() + '\n';
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit())
        m_changed = false;
}

}  // namespace platform::mail

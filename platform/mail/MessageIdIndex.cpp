#include "platform/mail/MessageIdIndex.h"

#include "platform/mail/HeaderBlock.h"
#include "platform/mail/ReadAhead.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace platform::mail {
namespace {

constexpr char kHeader[] = "# quorvell message-ids 1\t";

bool fitsOnALine(const QString& text)
{
    return !text.contains(QLatin1Char('\t')) && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
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
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray all = file.readAll();
    const QList<QByteArray> lines = all.split('\n');
    // Another root that hashes alike, or a damaged file: start afresh.
    if (lines.first() != kHeader + m_root.toUtf8())
        return;
    m_ids.reserve(lines.size());
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines.at(i);
        const qsizetype tab = line.indexOf('\t');
        if (tab > 0)
            m_ids.insert(QString::fromUtf8(line.constData(), int(tab)), QString::fromUtf8(line.mid(tab + 1)));
    }
}

QString MessageIdIndex::idOf(const MessageLocation& message)
{
    load();
    if (const auto known = m_ids.constFind(message.uniqueName); known != m_ids.constEnd())
        return *known;
    const QByteArray block = ReadAhead::readHeader(message.path);
    const QString id = HeaderBlock(block).identifier("Message-ID");
    // An unreadable file is not remembered: it may be readable next time.
    if (!block.isEmpty() && fitsOnALine(message.uniqueName) && fitsOnALine(id)) {
        m_ids.insert(message.uniqueName, id);
        m_changed = true;
    }
    return id;
}

void MessageIdIndex::keepOnly(const QHash<QString, MessageLocation>& everyMessage)
{
    load();
    for (auto it = m_ids.begin(); it != m_ids.end();) {
        if (everyMessage.contains(it.key())) {
            ++it;
        } else {
            it = m_ids.erase(it);
            m_changed = true;
        }
    }
}

void MessageIdIndex::save()
{
    if (!m_changed)
        return;
    QByteArray data = kHeader + m_root.toUtf8() + '\n';
    data.reserve(m_ids.size() * 64);
    for (auto it = m_ids.constBegin(); it != m_ids.constEnd(); ++it)
        data += it.key().toUtf8() + '\t' + it.value().toUtf8() + '\n';
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit())
        m_changed = false;
}

}  // namespace platform::mail

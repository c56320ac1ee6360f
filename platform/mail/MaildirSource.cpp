#include "platform/mail/MaildirSource.h"

#include "platform/mail/MailLog.h"
#include "platform/mail/MessageIdIndex.h"
#include "platform/mail/ThunderbirdSource.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace platform::mail {

std::shared_ptr<MessageSource> openSource(const QString& kind, const QString& root, const QString& stateDirectory)
{
    if (kind == QLatin1String(kMaildirSource))
        return std::make_shared<MaildirSource>(Mailbox(root), stateDirectory);
    if (kind == QLatin1String(kThunderbirdSource))
        return std::make_shared<ThunderbirdSource>(root);
    return nullptr;
}

MaildirSource::MaildirSource(Mailbox mailbox, QString stateDirectory)
    : m_mailbox(std::move(mailbox)), m_stateDirectory(std::move(stateDirectory))
{
}

QString MaildirSource::problem() const
{
    const QFileInfo info(m_mailbox.root());
    if (m_mailbox.root().isEmpty())
        return QStringLiteral("no mailbox");
    if (!info.exists())
        return QStringLiteral("the mailbox %1 does not exist").arg(m_mailbox.root());
    if (!info.isDir() || !(QFileInfo(m_mailbox.root() + QStringLiteral("/cur")).isDir()
                           || QFileInfo(m_mailbox.root() + QStringLiteral("/new")).isDir()))
        return QStringLiteral("%1 is no Maildir (it has no cur/ or new/ folder)").arg(m_mailbox.root());
    return {};
}

QVector<MessageLocation> MaildirSource::messages(const QString& folder) const
{
    return m_mailbox.messages(folder);
}

namespace {

QSet<QString> missingIds(const LocationTable& found, const SelectedMessages& selected)
{
    QSet<QString> ids;
    for (qsizetype i = 0; i < found.size(); ++i) {
        if (found.has(i))
            continue;
        if (QString id = selected.messageId(i); !id.isEmpty())
            ids.insert(std::move(id));
    }
    return ids;
}

// Gives each selected message not found yet a file with its Message-ID, in folder
// order, each file to one message only.
void assign(LocationTable& found, const SelectedMessages& selected,
            QHash<QString, QVector<MessageLocation>> candidates, const QStringList& folders)
{
    for (QVector<MessageLocation>& list : candidates) {
        std::sort(list.begin(), list.end(), [&folders](const MessageLocation& a, const MessageLocation& b) {
            const qsizetype fa = folders.indexOf(a.folder);
            const qsizetype fb = folders.indexOf(b.folder);
            return fa != fb ? fa < fb : a.path < b.path;
        });
    }
    QSet<QString> taken;
    for (qsizetype i = 0; i < found.size(); ++i) {
        if (found.has(i))
            taken.insert(found.path(i));
    }
    for (qsizetype i = 0; i < found.size(); ++i) {
        if (found.has(i))
            continue;
        const QVector<MessageLocation> list = candidates.value(selected.messageId(i));
        for (const MessageLocation& candidate : list) {
            if (!taken.contains(candidate.path)) {
                taken.insert(candidate.path);
                found.put(i, candidate);
                qCInfo(lcMail, "A selected message that moved is found again by its Message-ID");
                break;
            }
        }
    }
}

}  // namespace

ResolvedSelection MaildirSource::resolve(const QVector<SelectedMessage>& selected) const
{
    return resolve(SelectedMessages(selected));
}

ResolvedSelection MaildirSource::resolve(const SelectedMessages& selected) const
{
    LocationTable found = m_mailbox.locate(selected);

    for (qsizetype i = 0; i < found.size(); ++i) {
        const std::string_view location = selected.locationBytes(i);
        if (found.has(i) && !location.empty() && !found.isAt(i, m_mailbox.root(), location)) {
            // The same name in two folders: the one selected, while it is there.
            if (auto recorded = m_mailbox.at(selected.location(i)))
                found.put(i, *recorded);
        }
    }

    // Refiled or delivered anew under another name: the same Message-ID. First
    // the files the index knows with it, which costs a look at their names only.
    QSet<QString> wanted = missingIds(found, selected);
    if (!wanted.isEmpty()) {
        const QHash<QString, QVector<MessageIdIndex::Known>> known =
            MessageIdIndex(m_stateDirectory, m_mailbox.root()).filesWithIds(wanted);
        QHash<QString, QVector<MessageLocation>> candidates;
        QStringList elsewhere;  // known by name, but no longer where last seen
        QStringList elsewhereIds;
        for (auto it = known.constBegin(); it != known.constEnd(); ++it) {
            for (const MessageIdIndex::Known& file : *it) {
                if (auto location = m_mailbox.at(file.file); location && location->uniqueName == file.uniqueName) {
                    candidates[it.key()].append(*location);
                } else {
                    elsewhere.append(file.uniqueName);
                    elsewhereIds.append(it.key());
                }
            }
        }
        if (!elsewhere.isEmpty()) {
            const std::vector<std::optional<MessageLocation>> located = m_mailbox.findEach(elsewhere);
            for (size_t i = 0; i < located.size(); ++i) {
                if (located[i])
                    candidates[elsewhereIds.at(qsizetype(i))].append(*located[i]);
            }
        }
        assign(found, selected, std::move(candidates), m_mailbox.folders());
        wanted = missingIds(found, selected);
    }
    // Then every message of the mailbox, reading the headers the index lacks.
    if (!wanted.isEmpty()) {
        const QHash<QString, MessageLocation> everyMessage = m_mailbox.index();
        MessageIdIndex index(m_stateDirectory, m_mailbox.root());
        index.keepOnly(everyMessage);
        QHash<QString, QVector<MessageLocation>> candidates;
        for (const MessageLocation& location : everyMessage) {
            const QString id = index.idOf(location);
            if (wanted.contains(id))
                candidates[id].append(location);
        }
        index.save();
        assign(found, selected, std::move(candidates), m_mailbox.folders());
    }

    ResolvedSelection result;
    result.table = std::make_shared<const LocationTable>(found.withoutEmpty());
    result.gone = found.size() - result.table->size();
    return result;
}

QVector<SelectedMessage> MaildirSource::record(const QVector<MessageLocation>& messages) const
{
    MessageIdIndex index(m_stateDirectory, m_mailbox.root());
    QVector<SelectedMessage> result;
    result.reserve(messages.size());
    for (const MessageLocation& location : messages)
        result.append({location.uniqueName, m_mailbox.relative(location), index.idOf(location)});
    index.save();
    return result;
}

}  // namespace platform::mail

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

QSet<QString> missingIds(const std::vector<std::optional<MessageLocation>>& found,
                         const QVector<SelectedMessage>& selected)
{
    QSet<QString> ids;
    for (size_t i = 0; i < found.size(); ++i) {
        if (!found[i] && !selected.at(qsizetype(i)).messageId.isEmpty())
            ids.insert(selected.at(qsizetype(i)).messageId);
    }
    return ids;
}

// Gives each selected message not found yet a file with its Message-ID, in folder
// order, each file to one message only.
void assign(std::vector<std::optional<MessageLocation>>& found, const QVector<SelectedMessage>& selected,
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
    for (const auto& location : found) {
        if (location)
            taken.insert(location->path);
    }
    for (size_t i = 0; i < found.size(); ++i) {
        if (found[i])
            continue;
        const QVector<MessageLocation> list = candidates.value(selected.at(qsizetype(i)).messageId);
        for (const MessageLocation& candidate : list) {
            if (!taken.contains(candidate.path)) {
                taken.insert(candidate.path);
                found[i] = candidate;
                qCInfo(lcMail, "A selected message that moved is found again by its Message-ID");
                break;
            }
        }
    }
}

}  // namespace

ResolvedSelection MaildirSource::resolve(const QVector<SelectedMessage>& selected) const
{
    QStringList names;
    names.reserve(selected.size());
    for (const SelectedMessage& message : selected)
        names.append(message.uniqueName);
    std::vector<std::optional<MessageLocation>> found = m_mailbox.findEach(names);

    for (size_t i = 0; i < found.size(); ++i) {
        const SelectedMessage& message = selected.at(qsizetype(i));
        if (found[i] && !message.location.isEmpty()
            && found[i]->path != m_mailbox.root() + QLatin1Char('/') + message.location) {
            // The same name in two folders: the one selected, while it is there.
            if (auto recorded = m_mailbox.at(message.location))
                found[i] = std::move(recorded);
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
    result.found.reserve(selected.size());
    for (auto& location : found) {
        if (location)
            result.found.append(std::move(*location));
        else
            ++result.gone;
    }
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

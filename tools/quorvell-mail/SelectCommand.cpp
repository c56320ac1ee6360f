#include "SelectCommand.h"

#include "MessageFinder.h"
#include "SelectResult.h"
#include "SelectionInput.h"

#include "platform/mail/MaildirSource.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSet>
#include <QTextStream>

#include <algorithm>
#include <variant>

using platform::mail::MailState;
using platform::mail::SelectedMessage;
using platform::mail::SelectionRecord;
using platform::mail::Mailbox;
using platform::mail::MessageLocation;

namespace quorvellmail {
namespace {

qsizetype t_selected = 0;

// Two `select --append` run one per piped message by a mail client must not lose
// each other's messages.
constexpr int kAppendLockTimeoutMs = 10000;

struct Request {
    bool append = false;
    bool newestFirst = false;
    std::optional<QString> then;
    bool stdinLines = false;
    bool messages = false;
    bool mblaze = false;
    std::optional<QString> query;
    std::optional<QString> folder;
    std::optional<QString> last;
    QStringList entries;
};

// The options in any order; --notmuch takes the rest of the line as its query and
// "--" ends the options, for entries that start with a dash.
std::variant<Request, QString> parseRequest(const QStringList& arguments)
{
    Request request;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QLatin1String("--append")) {
            request.append = true;
        } else if (argument == QLatin1String("--newest-first")) {
            request.newestFirst = true;
        } else if (argument == QLatin1String("--then")) {
            if (!hasValue || !isTrayCommandName(arguments.at(i + 1)))
                return QStringLiteral("--then needs the name of a tray command, e.g. --then CopySubject");
            request.then = arguments.at(++i);
        } else if (argument == QLatin1String("-") || argument == QLatin1String("--stdin")) {
            request.stdinLines = true;
        } else if (argument == QLatin1String("--messages")) {
            request.messages = true;
        } else if (argument == QLatin1String("--mblaze")) {
            request.mblaze = true;
        } else if (argument == QLatin1String("--notmuch")) {
            if (!hasValue)
                return QStringLiteral("--notmuch needs a query, e.g. --notmuch tag:inbox");
            request.query = arguments.mid(i + 1).join(QLatin1Char(' '));
            break;
        } else if (argument == QLatin1String("--folder") || argument == QLatin1String("--last")) {
            if (!hasValue)
                return QStringLiteral("%1 needs a value").arg(argument);
            (argument == QLatin1String("--folder") ? request.folder : request.last) = arguments.at(++i);
        } else if (argument == QLatin1String("--")) {
            request.entries += arguments.mid(i + 1);
            break;
        } else if (argument.startsWith(QLatin1Char('-'))) {
            return QStringLiteral("unknown option \"%1\" for select").arg(argument);
        } else {
            request.entries.append(argument);
        }
    }
    QStringList sources;
    if (!request.entries.isEmpty())
        sources.append(QStringLiteral("messages as arguments"));
    if (request.stdinLines || request.messages)
        sources.append(request.messages ? QStringLiteral("--messages") : QStringLiteral("standard input"));
    if (request.query)
        sources.append(QStringLiteral("--notmuch"));
    if (request.mblaze)
        sources.append(QStringLiteral("--mblaze"));
    if (request.folder || request.last)
        sources.append(QStringLiteral("--folder with --last"));
    if (sources.size() > 1)
        return QStringLiteral("select takes its messages from one place, not from %1").arg(sources.join(QStringLiteral(" and ")));
    if (sources.isEmpty())
        return QStringLiteral("select needs messages: FILE|UNIQUE-NAME|NUMBER|MESSAGE-ID..., -, --messages, "
                              "--notmuch QUERY, --mblaze or --folder NAME --last N");
    if (request.last && !request.folder)
        return QStringLiteral("--last needs --folder NAME (the folders: quorvell-mail folders)");
    if (request.folder && !request.last)
        return QStringLiteral("--folder needs --last N with the number of messages to select");
    return request;
}

QByteArray readAll(FILE* input)
{
    QFile file;
    return file.open(input, QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::optional<QVector<MessageLocation>> newestOf(const Mailbox& mailbox, const QString& folderName, const QString& count,
                                    int* status)
{
    bool ok = false;
    const qsizetype last = count.toLongLong(&ok);
    if (!ok || last <= 0) {
        *status = fail(QStringLiteral("--last needs a number of messages above 0, not \"%1\"").arg(count), kUsage);
        return std::nullopt;
    }
    const auto folder = mailbox.folderNamed(folderName);
    if (!folder) {
        *status = fail(QStringLiteral("no folder \"%1\" in %2 (folders: %3)")
                           .arg(folderName, mailbox.root(), mailbox.folders().join(QStringLiteral(", "))));
        return std::nullopt;
    }
    const QVector<MessageLocation> messages = mailbox.messages(*folder);
    return messages.mid(std::max<qsizetype>(0, messages.size() - last));
}

// The messages of every entry, or none after reporting each one not found.
std::optional<QVector<MessageLocation>> find(const Mailbox& mailbox, const MailState& state, const Request& request, FILE* input,
                                int* status)
{
    QString error;
    std::optional<Entries> entries;
    QList<QByteArray> messages;
    if (request.messages) {
        messages = splitMessages(readAll(input));
        entries.emplace();
    } else if (request.stdinLines) {
        entries = entriesFromLines(readAll(input), QStringLiteral("line %1"));
    } else if (request.query) {
        entries = notmuchEntries(*request.query, &error);
    } else if (request.mblaze) {
        entries = mblazeEntries(&error);
    } else {
        entries.emplace().place = QStringLiteral("argument %1");
        for (qsizetype i = 0; i < request.entries.size(); ++i)
            entries->entries.append({request.entries.at(i), int(i + 1)});
    }
    if (!entries) {
        *status = fail(error);
        return std::nullopt;
    }
    MessageFinder finder(mailbox, state);
    QVector<MessageLocation> names;
    bool complete = true;
    names.reserve(entries->entries.size() + messages.size());
    // A file notmuch names that is gone (moved since `notmuch new`) is looked for
    // by its Message-ID, which notmuch gives in the same order.
    std::optional<QStringList> notmuchIds;
    for (qsizetype i = 0; i < entries->entries.size(); ++i) {
        const Entry& entry = entries->entries.at(i);
        std::optional<QString> name = finder.find(entry.text, &error);
        if (!name && request.query && !notmuchIds) {
            QString ignored;
            notmuchIds = notmuchMessageIds(*request.query, &ignored).value_or(QStringList());
            if (notmuchIds->size() != entries->entries.size())
                notmuchIds->clear();
        }
        if (!name && notmuchIds && i < notmuchIds->size()) {
            QString byIdError;
            name = finder.find(notmuchIds->at(i), &byIdError);
        }
        if (name) {
            names.append(finder.location(*name));
        } else {
            fail(entries->place.arg(entry.line) + QStringLiteral(": ") + error);
            complete = false;
        }
    }
    for (qsizetype i = 0; i < messages.size(); ++i) {
        if (const auto name = finder.findMessage(messages.at(i), &error)) {
            names.append(finder.location(*name));
        } else {
            fail(QStringLiteral("message %1 on standard input: %2").arg(i + 1).arg(error));
            complete = false;
        }
    }
    if (!complete) {
        *status = fail(QStringLiteral("the selection was not changed"));
        return std::nullopt;
    }
    if (names.isEmpty()) {
        *status = fail(QStringLiteral("no messages to select; the selection was not changed (to select "
                                      "nothing: quorvell-mail clear)"));
        return std::nullopt;
    }
    return names;
}

int write(const Mailbox& mailbox, const MailState& state, const QVector<MessageLocation>& messages, bool append)
{
    const platform::mail::MaildirSource source(mailbox, state.directory());
    SelectionRecord record{2, source.kind(), source.root(), {}};
    std::optional<QLockFile> lock;
    if (append) {
        QDir().mkpath(state.directory());
        lock.emplace(state.directory() + QStringLiteral("/selection.lock"));
        if (!lock->tryLock(kAppendLockTimeoutMs))
            return fail(QStringLiteral("another quorvell-mail is changing the selection in %1").arg(state.directory()));
        if (const auto stored = state.storedRecord(); stored && !stored->messages.isEmpty()) {
            // One selection, one mailbox: adding to another's would mix them.
            if (!stored->sourceKind.isEmpty() && (stored->sourceKind != record.sourceKind || stored->root != record.root))
                return fail(QStringLiteral("the selection holds messages of %1, not of %2; select without --append "
                                           "to replace them")
                                .arg(stored->root, record.root));
            record.messages = stored->messages;
        }
    }
    QSet<QString> seen;
    for (const SelectedMessage& message : std::as_const(record.messages))
        seen.insert(message.uniqueName);
    QVector<MessageLocation> added;
    for (const MessageLocation& message : messages) {
        if (!seen.contains(message.uniqueName)) {
            seen.insert(message.uniqueName);
            added.append(message);
        }
    }
    record.messages += source.record(added);
    QString error;
    if (!state.writeRecord(record, &error))
        return fail(error);
    t_selected = record.messages.size();
    return kOk;
}

// The last run's outcome, for the one line that a client shows.
struct Outcome {
    QString firstProblem;
    int problems = 0;
};
Outcome t_outcome;

int select(const Mailbox& mailbox, const MailState& state, const Request& request, FILE* input)
{
    int status = kOk;
    std::optional<QVector<MessageLocation>> messages = request.folder
        ? newestOf(mailbox, *request.folder, *request.last, &status)
        : find(mailbox, state, request, input, &status);
    if (!messages)
        return status;
    if (request.newestFirst) {
        // As aerc lists a Maildir unless told to sort: by file name, newest first.
        std::stable_sort(messages->begin(), messages->end(), [](const MessageLocation& a, const MessageLocation& b) {
            return a.uniqueName > b.uniqueName;
        });
    }
    return write(mailbox, state, *messages, request.append);
}

}  // namespace

int fail(const QString& message, int status)
{
    QTextStream(stderr) << "quorvell-mail: " << message << Qt::endl;
    if (t_outcome.problems++ == 0)
        t_outcome.firstProblem = message;
    return status;
}

int selectCommand(const Mailbox& mailbox, const MailState& state, const QStringList& arguments, FILE* input)
{
    const auto parsed = parseRequest(arguments);
    if (const auto* error = std::get_if<QString>(&parsed))
        return fail(*error, kUsage);
    const Request& request = std::get<Request>(parsed);
    int status = select(mailbox, state, request, input);
    QString line;
    if (status == kOk) {
        line = t_selected == 1 ? QStringLiteral("1 message selected")
                               : QStringLiteral("%1 messages selected").arg(t_selected);
        if (request.then) {
            if (const QString why = runTrayCommand(*request.then); why.isEmpty()) {
                line += QStringLiteral(", %1 done").arg(*request.then);
            } else {
                line += QStringLiteral(", but %1 failed: %2").arg(*request.then, why);
                QTextStream(stderr) << "quorvell-mail: " << line << Qt::endl;
                status = kFailed;
            }
        }
        QTextStream(stdout) << line << Qt::endl;
    } else {
        line = t_outcome.firstProblem;
        if (t_outcome.problems > 2)  // the last one says the selection was not changed
            line += QStringLiteral(" (and %1 more)").arg(t_outcome.problems - 2);
    }
    recordResult(state, line);
    return status;
}

}  // namespace quorvellmail

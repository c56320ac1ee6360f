// quorvell-mail: sets and shows the mail application's selection.
//
//   quorvell-mail select FILE|UNIQUE-NAME|MESSAGE-ID...   select these messages, in this order
//   quorvell-mail select --folder NAME --last N           select the newest N messages of a folder
//   quorvell-mail clear                                   select nothing
//   quorvell-mail selection                               show the selection
//   quorvell-mail list [--folder NAME]                    show the messages of a folder (INBOX)
//   quorvell-mail folders                                 show the folders
//
// Messages print as one line each: id, folder, unique name, sender and subject,
// separated by tabs. Errors go to standard error and the exit status is 1 (2 for
// wrong usage); the selection is written only when every argument was found.

#include "platform/mail/MailState.h"
#include "platform/mail/Mailbox.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTextStream>

#include <cstdio>

using platform::mail::MailMessage;
using platform::mail::MailState;
using platform::mail::Mailbox;
using platform::mail::MessageLocation;

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

int fail(const QString& message, int status = kFailed)
{
    QTextStream(stderr) << "quorvell-mail: " << message << Qt::endl;
    return status;
}

int usage()
{
    QTextStream(stderr) << "usage: quorvell-mail select FILE|UNIQUE-NAME|MESSAGE-ID...\n"
                           "       quorvell-mail select --folder NAME --last N\n"
                           "       quorvell-mail clear\n"
                           "       quorvell-mail selection\n"
                           "       quorvell-mail list [--folder NAME]\n"
                           "       quorvell-mail folders\n";
    return kUsage;
}

QString oneLine(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

void printMessages(const MailState& state, const QList<MessageLocation>& messages)
{
    QStringList names;
    for (const MessageLocation& location : messages)
        names.append(location.uniqueName);
    const QHash<QString, qint64> ids = state.ids(names);
    for (const MessageLocation& location : messages) {
        MailMessage message(location);
        out() << ids.value(location.uniqueName) << '\t' << location.folder << '\t' << location.uniqueName << '\t'
              << oneLine(message.sender()) << '\t' << oneLine(message.subject()) << '\n';
    }
    out().flush();
}

std::optional<QString> folderArgument(const Mailbox& mailbox, const QString& name, QString* error)
{
    if (const auto folder = mailbox.folderNamed(name))
        return folder;
    *error = QStringLiteral("no folder \"%1\" in %2 (folders: %3)")
                 .arg(name, mailbox.root(), mailbox.folders().join(QStringLiteral(", ")));
    return std::nullopt;
}

// Message-ID (with or without <>) -> unique name, over every folder; read only
// when an argument is neither a file nor a unique name.
QHash<QString, QString> messageIdIndex(const QHash<QString, MessageLocation>& index)
{
    QHash<QString, QString> result;
    for (const MessageLocation& location : index) {
        MailMessage message(location);
        const QString id = message.messageId();
        if (!id.isEmpty() && !result.contains(id))
            result.insert(id, location.uniqueName);
    }
    return result;
}

int selectMessages(const Mailbox& mailbox, const MailState& state, const QStringList& arguments)
{
    const QHash<QString, MessageLocation> index = mailbox.index();
    std::optional<QHash<QString, QString>> byMessageId;
    QStringList chosen;
    QSet<QString> seen;
    QStringList unknown;
    for (const QString& argument : arguments) {
        QString name;
        const QFileInfo file(argument);
        if (file.isFile()) {
            name = Mailbox::uniqueName(file.fileName());
            if (!index.contains(name)) {
                unknown.append(QStringLiteral("%1 is not a message of the mailbox %2").arg(argument, mailbox.root()));
                continue;
            }
        } else if (index.contains(argument)) {
            name = argument;
        } else {
            if (!byMessageId)
                byMessageId = messageIdIndex(index);
            QString id = argument.trimmed();
            if (id.startsWith(QLatin1Char('<')) && id.endsWith(QLatin1Char('>')))
                id = id.mid(1, id.size() - 2);
            name = byMessageId->value(id);
            if (name.isEmpty()) {
                unknown.append(QStringLiteral("no message with the file, unique name or Message-ID \"%1\"").arg(argument));
                continue;
            }
        }
        if (!seen.contains(name)) {
            seen.insert(name);
            chosen.append(name);
        }
    }
    if (!unknown.isEmpty()) {
        for (const QString& message : std::as_const(unknown))
            fail(message);
        return fail(QStringLiteral("the selection was not changed"));
    }
    QString error;
    if (!state.writeSelection(chosen, &error))
        return fail(error);
    return kOk;
}

int selectLast(const Mailbox& mailbox, const MailState& state, const QStringList& arguments)
{
    // select --folder NAME --last N, the two options in either order.
    QString folderName;
    QString count;
    for (qsizetype i = 0; i < arguments.size(); i += 2) {
        if (i + 1 >= arguments.size())
            return usage();
        if (arguments.at(i) == QLatin1String("--folder"))
            folderName = arguments.at(i + 1);
        else if (arguments.at(i) == QLatin1String("--last"))
            count = arguments.at(i + 1);
        else
            return usage();
    }
    if (folderName.isEmpty() || count.isEmpty())
        return usage();
    bool ok = false;
    const qsizetype last = count.toLongLong(&ok);
    if (!ok || last < 0)
        return fail(QStringLiteral("--last needs a number of messages, not \"%1\"").arg(count), kUsage);
    QString error;
    const auto folder = folderArgument(mailbox, folderName, &error);
    if (!folder)
        return fail(error);
    const QList<MessageLocation> messages = mailbox.messages(*folder);
    QStringList names;
    for (qsizetype i = std::max<qsizetype>(0, messages.size() - last); i < messages.size(); ++i)
        names.append(messages.at(i).uniqueName);
    if (!state.writeSelection(names, &error))
        return fail(error);
    return kOk;
}

int run(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return usage();
    const QString command = arguments.first();
    const QStringList rest = arguments.mid(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        usage();
        return kOk;
    }
    const Mailbox mailbox = Mailbox::locate();
    if (!mailbox.exists())
        return fail(QStringLiteral("no mailbox: set MAILDIR or create ~/Maildir"));
    const MailState state;

    if (command == QLatin1String("select")) {
        if (rest.isEmpty())
            return usage();
        if (rest.first().startsWith(QLatin1String("--")))
            return selectLast(mailbox, state, rest);
        return selectMessages(mailbox, state, rest);
    }
    if (command == QLatin1String("clear")) {
        QString error;
        return rest.isEmpty() ? (state.writeSelection({}, &error) ? kOk : fail(error)) : usage();
    }
    if (command == QLatin1String("selection")) {
        if (!rest.isEmpty())
            return usage();
        printMessages(state, state.selection(mailbox));
        return kOk;
    }
    if (command == QLatin1String("list")) {
        QString folderName = QString::fromLatin1(Mailbox::kInbox);
        if (rest.size() == 2 && rest.first() == QLatin1String("--folder"))
            folderName = rest.at(1);
        else if (!rest.isEmpty())
            return usage();
        QString error;
        const auto folder = folderArgument(mailbox, folderName, &error);
        if (!folder)
            return fail(error);
        printMessages(state, mailbox.messages(*folder));
        return kOk;
    }
    if (command == QLatin1String("folders")) {
        const QStringList folders = mailbox.folders();
        for (const QString& folder : folders)
            out() << folder << '\n';
        out().flush();
        return kOk;
    }
    return fail(QStringLiteral("unknown command \"%1\"").arg(command), kUsage);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return run(QCoreApplication::arguments().mid(1));
}

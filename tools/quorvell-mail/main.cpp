// quorvell-mail: sets and shows the mail application's selection.
//
//   quorvell-mail select FILE|UNIQUE-NAME|NUMBER|MESSAGE-ID...  select these messages, in this order
//   quorvell-mail select - | --stdin             the same, one a line on standard input
//   quorvell-mail select --messages              whole messages piped by a mail client
//   quorvell-mail select --notmuch QUERY         the messages of a notmuch query, oldest first
//   quorvell-mail select --mblaze                the mblaze sequence
//   quorvell-mail select --folder NAME --last N  the newest N messages of a folder
//   (select --append adds to the selection instead of replacing it,
//    --newest-first orders the messages by file name, newest first, as aerc lists
//    them, and --then METHOD runs a tray command, e.g. CopySubject, once the
//    selection is written)
//   quorvell-mail result [--muttrc]              the outcome of the last select, one line
//   quorvell-mail clear                          select nothing
//   quorvell-mail selection                      show the selection
//   quorvell-mail list [--folder NAME|all]       show the messages of a folder (INBOX), or all
//   quorvell-mail folders                        show the folders
//
// Messages print as one line each: id, folder, unique name, sender and subject,
// separated by tabs. Errors go to standard error and the exit status is 1 (2 for
// wrong usage); the selection is written only when every argument was found.
// `selection` shows the mailbox the selection was made in; the other commands
// work on $MAILDIR. Standard error says which mailbox a command uses whenever it
// is not the one MAILDIR names (~/Maildir, the sample mailbox, the selection's).

#include "SelectCommand.h"
#include "SelectResult.h"

#include "platform/mail/MailState.h"
#include "platform/mail/ThunderbirdSource.h"
#include "platform/mail/Mailbox.h"

#include <QCoreApplication>
#include <QHash>
#include <QTextStream>

using platform::mail::MailMessage;
using platform::mail::MailState;
using platform::mail::Mailbox;
using platform::mail::MessageLocation;

namespace {

using quorvellmail::fail;
using quorvellmail::kOk;
using quorvellmail::kUsage;

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

int usage()
{
    QTextStream(stderr) << "usage: quorvell-mail select [--append] FILE|UNIQUE-NAME|NUMBER|MESSAGE-ID...\n"
                           "       quorvell-mail select [--append] - | --stdin | --messages\n"
                           "       quorvell-mail select [--append] --notmuch QUERY\n"
                           "       quorvell-mail select [--append] --mblaze\n"
                           "       quorvell-mail select [--append] --folder NAME --last N\n"
                           "       quorvell-mail select ... [--newest-first] [--then TRAY-COMMAND]\n"
                           "       quorvell-mail result [--muttrc]\n"
                           "       quorvell-mail clear\n"
                           "       quorvell-mail selection\n"
                           "       quorvell-mail list [--folder NAME|all]\n"
                           "       quorvell-mail folders\n";
    return kUsage;
}

int unexpected(const QString& command, const QStringList& arguments)
{
    return fail(QStringLiteral("%1 does not take \"%2\"").arg(command, arguments.join(QLatin1Char(' '))), kUsage);
}

QString oneLine(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

void printMessages(const MailState& state, const QVector<MessageLocation>& messages)
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

void note(const QString& text)
{
    QTextStream(stderr) << "quorvell-mail: " << text << Qt::endl;
}

// Says which mailbox is used when it is not the one MAILDIR names.
void sayWhichMailbox(const platform::mail::MailboxLookup& found)
{
    using Source = platform::mail::MailboxLookup::Source;
    if (found.source == Source::Home) {
        note(QStringLiteral("using %1 (MAILDIR is not set)").arg(found.root));
    } else if (found.source == Source::Sample) {
        note(QStringLiteral("using the sample mailbox %1 (MAILDIR is not set and ~/Maildir does not exist)")
                 .arg(found.root));
    } else if (found.source == Source::Selection) {
        const platform::mail::MailboxLookup environment = Mailbox::lookup();
        if (environment.root != found.root) {
            note(QStringLiteral("the selection was made in %1 (%2)")
                     .arg(found.root, qEnvironmentVariableIsEmpty("MAILDIR")
                                          ? QStringLiteral("MAILDIR is not set")
                                          : QStringLiteral("MAILDIR names %1").arg(qEnvironmentVariable("MAILDIR"))));
        }
    }
}

int showSelection(const MailState& state)
{
    const MailState::Read read = state.read();
    if (!read.mailbox.problem.isEmpty())
        return fail(read.mailbox.problem);
    if (read.sourceKind == QLatin1String(platform::mail::kThunderbirdSource))
        note(QStringLiteral("the selection in Thunderbird (select with quorvell-mail to use a Maildir again)"));
    else
        sayWhichMailbox(read.mailbox);
    printMessages(state, read.messages->all());
    if (read.gone() > 0)
        note(QStringLiteral("%1 of %2 selected messages %3 no longer in the mailbox")
                 .arg(read.gone())
                 .arg(read.selected)
                 .arg(read.gone() == 1 ? QStringLiteral("is") : QStringLiteral("are")));
    return kOk;
}

std::optional<QString> folderArgument(const Mailbox& mailbox, const QString& name, QString* error)
{
    if (const auto folder = mailbox.folderNamed(name))
        return folder;
    *error = QStringLiteral("no folder \"%1\" in %2 (folders: %3)")
                 .arg(name, mailbox.root(), mailbox.folders().join(QStringLiteral(", ")));
    return std::nullopt;
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
    const MailState state;
    if (command == QLatin1String("result")) {
        const bool muttrc = rest == QStringList{QStringLiteral("--muttrc")};
        if (!rest.isEmpty() && !muttrc)
            return unexpected(command, rest);
        const QString line = quorvellmail::lastResult(state).value_or(QStringLiteral("nothing selected yet"));
        out() << (muttrc ? quorvellmail::asMuttrcEcho(line) : line) << '\n';
        out().flush();
        return kOk;
    }
    if (command == QLatin1String("selection"))
        return rest.isEmpty() ? showSelection(state) : unexpected(command, rest);
    const platform::mail::MailboxLookup found = Mailbox::lookup();
    if (!found.problem.isEmpty())
        return fail(found.problem);
    const Mailbox mailbox(found.root);
    if (!mailbox.exists())
        return fail(QStringLiteral("no mailbox: set MAILDIR or create ~/Maildir"));
    sayWhichMailbox(found);

    if (command == QLatin1String("select"))
        return quorvellmail::selectCommand(mailbox, state, rest, stdin);
    if (command == QLatin1String("clear")) {
        QString error;
        return rest.isEmpty() ? (state.writeSelection({}, &error) ? kOk : fail(error)) : unexpected(command, rest);
    }
    if (command == QLatin1String("list")) {
        QString folderName = QString::fromLatin1(Mailbox::kInbox);
        if (rest.size() == 2 && rest.first() == QLatin1String("--folder"))
            folderName = rest.at(1);
        else if (!rest.isEmpty())
            return unexpected(command, rest);
        if (folderName == QLatin1String("all")) {
            QVector<MessageLocation> every;
            for (const QString& folder : mailbox.folders())
                every += mailbox.messages(folder);
            printMessages(state, every);
            return kOk;
        }
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

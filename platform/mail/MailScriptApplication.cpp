#include "platform/mail/MailScriptApplication.h"

#include "platform/mail/MailboxObject.h"
#include "platform/mail/MessageList.h"
#include "platform/mail/MailSaveCommand.h"
#include "platform/mail/MailState.h"

namespace platform::mail {

using platform::applescript::CommandCall;
using platform::applescript::List;
using platform::applescript::Reply;
using platform::applescript::Terminology;
using platform::applescript::Value;

namespace {

Terminology makeTerminology()
{
    Terminology t;
    t.classes = {
        {QStringLiteral("message"), QStringLiteral("messages")},
        {QStringLiteral("recipient"), QStringLiteral("recipients")},
        {QStringLiteral("to recipient"), QStringLiteral("to recipients")},
        {QStringLiteral("cc recipient"), QStringLiteral("cc recipients")},
        {QStringLiteral("bcc recipient"), QStringLiteral("bcc recipients")},
        {QStringLiteral("mail attachment"), QStringLiteral("mail attachments")},
        {QStringLiteral("mailbox"), QStringLiteral("mailboxes")},
        {QStringLiteral("header"), QStringLiteral("headers")},
    };
    for (const char* name : {"selection", "subject", "sender", "reply to", "message id", "id", "all headers",
                             "content", "source", "date sent", "date received", "message size", "read status",
                             "flagged status", "mailbox", "name", "address", "file size", "inbox", "unread count"})
        t.properties.push_back(QString::fromLatin1(name));
    t.commands = {
        {QStringLiteral("extract name from"), true, {}},
        {QStringLiteral("extract address from"), true, {}},
        {QStringLiteral("save"), true, {QStringLiteral("in"), QStringLiteral("as")}},
    };
    return t;
}

Reply selection()
{
    // A mailbox that is no Maildir (the selection's, or MAILDIR's) is an error of
    // the script's run, never an empty selection or another mailbox's.
    const MailState::Read read = MailState().read();
    if (!read.mailbox.problem.isEmpty())
        return Reply::error(-1728, read.mailbox.problem);
    // The ids are given when a script first asks for one, all together: a command
    // that never asks leaves the ids file alone.
    return Value::list(List::madeBy(std::make_shared<MessageList>(read.messages)));
}

Reply extract(const CommandCall& call, bool name)
{
    if (!call.hasDirect || call.direct.kind() != Value::Kind::Text)
        return Reply::error(-1703, QStringLiteral("Can\u2019t %1: the direct parameter must be text.").arg(call.name));
    const QString text = call.direct.text();
    QList<MailAddress> found = HeaderBlock::parseAddressList(text.toUtf8());
    // One mailbox written as a sender property gives it: "Lee, Ann <a@x.org>" has
    // its comma unquoted, which the address-list grammar cannot read as one.
    const QString trimmed = text.trimmed();
    const qsizetype open = trimmed.lastIndexOf(QLatin1Char('<'));
    const bool oneMailbox = found.size() == 1 && !found.first().address.contains(QLatin1Char('<'));
    if (!oneMailbox && open > 0 && trimmed.endsWith(QLatin1Char('>'))
        && !trimmed.left(open).contains(QLatin1Char('@'))) {
        QString person = trimmed.left(open).trimmed();
        if (person.size() >= 2 && person.startsWith(QLatin1Char('"')) && person.endsWith(QLatin1Char('"')))
            person = person.mid(1, person.size() - 2);
        found = {{person, trimmed.mid(open + 1, trimmed.size() - open - 2).trimmed()}};
    }
    if (found.isEmpty())
        return Value(trimmed);
    const MailAddress& first = found.first();
    if (name)
        return Value(first.name.isEmpty() ? first.address : first.name);
    return Value(first.address);
}

}  // namespace

const Terminology& MailScriptApplication::terminology() const
{
    static const Terminology terms = makeTerminology();
    return terms;
}

Reply MailScriptApplication::property(const QString& name) const
{
    if (name == QLatin1String("selection"))
        return selection();
    if (name == QLatin1String("name"))
        return Value(QStringLiteral("Mail"));
    if (name == QLatin1String("inbox"))
        return Value(std::make_shared<MailboxObject>(QString::fromLatin1(Mailbox::kInbox)));
    return Reply::error(-1728);
}

Reply MailScriptApplication::elements(const QString& className) const
{
    if (className != QLatin1String("mailbox"))
        return Reply::error(-1728);
    List items;
    for (const QString& folder : Mailbox(MailState().mailbox().root).folders())
        items.emplace_back(std::make_shared<MailboxObject>(folder));
    return Value::list(std::move(items));
}

Reply MailScriptApplication::command(const CommandCall& call)
{
    if (call.name == QLatin1String("extract name from"))
        return extract(call, true);
    if (call.name == QLatin1String("extract address from"))
        return extract(call, false);
    if (call.name == QLatin1String("save"))
        return MailSaveCommand::run(nullptr, call);
    return Reply::error(-1708);
}

}  // namespace platform::mail

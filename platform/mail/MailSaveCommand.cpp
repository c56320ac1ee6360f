#include "platform/mail/MailSaveCommand.h"

#include "platform/mail/MessageObject.h"
#include "platform/mail/save/MessageSaver.h"

#include <QLocale>

namespace platform::mail {

using platform::applescript::Reply;
using platform::applescript::Value;

namespace {

QString joined(const QList<MailAddress>& addresses)
{
    QStringList parts;
    for (const MailAddress& address : addresses)
        parts.append(address.display());
    return parts.join(QStringLiteral(", "));
}

MessageDocument documentOf(MailMessage& message)
{
    MessageDocument document;
    document.from = message.sender();
    document.to = joined(message.toRecipients());
    document.cc = joined(message.ccRecipients());
    const QDateTime sent = message.dateSent();
    document.date = sent.isValid() ? QLocale().toString(sent, QLocale::LongFormat) : QString();
    document.subject = message.subject();
    document.body = message.content();
    return document;
}

}  // namespace

Reply MailSaveCommand::run(MessageObject* target, const platform::applescript::CommandCall& call)
{
    MessageObject* message = target;
    if (call.hasDirect) {
        const Value& direct = call.direct;
        message = direct.kind() == Value::Kind::Object ? dynamic_cast<MessageObject*>(direct.object().get()) : nullptr;
        if (!message)
            return Reply::error(-1728, QStringLiteral("Can\u2019t save: the direct parameter is not a message."));
    }
    if (!message)
        return Reply::error(-1728, QStringLiteral("Can\u2019t save: no message given."));

    const Value* folder = call.parameter(QStringLiteral("in"));
    if (!folder || folder->kind() != Value::Kind::Text || folder->text().isEmpty())
        return Reply::error(-1703, QStringLiteral("Can\u2019t save: \u201Cin\u201D needs a folder path as text."));
    const Value* as = call.parameter(QStringLiteral("as"));
    SaveFormat format = SaveFormat::Pdf;
    if (as) {
        const QString name = as->kind() == Value::Kind::Text ? as->text() : QString();
        if (name.compare(QLatin1String("PDF"), Qt::CaseInsensitive) == 0)
            format = SaveFormat::Pdf;
        else if (name.compare(QLatin1String("RTF"), Qt::CaseInsensitive) == 0)
            format = SaveFormat::Rtf;
        else
            return Reply::error(-1703, QStringLiteral("Can\u2019t save as \u201C%1\u201D: the format is \u201CPDF\u201D or \u201CRTF\u201D.").arg(name));
    }

    const SaveResult result = saveMessageDocument(documentOf(message->message()), folder->text(), format);
    if (!result.ok())
        return Reply::error(-1728, QStringLiteral("Can\u2019t save %1: %2").arg(message->describe(), result.error));
    return Value(result.path);
}

}  // namespace platform::mail

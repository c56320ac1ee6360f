#include "SelectResult.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QSaveFile>

namespace quorvellmail {
namespace {

// A copy or an import of thousands of messages takes a while; the client waits.
constexpr int kTrayCommandTimeoutMs = 300000;

QString resultPath(const platform::mail::MailState& state)
{
    return state.directory() + QStringLiteral("/last-result");
}

}  // namespace

void recordResult(const platform::mail::MailState& state, const QString& line)
{
    QSaveFile file(resultPath(state));
    const QByteArray data = line.toUtf8() + '\n';
    // Only a message for the person: failing to keep it changes nothing else.
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size())
        (void)file.commit();
}

std::optional<QString> lastResult(const platform::mail::MailState& state)
{
    QFile file(resultPath(state));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.readAll()).trimmed();
}

QString asMuttrcEcho(const QString& line)
{
    // Single quotes expand nothing in a muttrc; one inside cannot be escaped there.
    QString text = line;
    text.replace(QLatin1Char('\''), QChar(0x2019));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QStringLiteral("echo 'Quorvell: %1'").arg(text);
}

bool isTrayCommandName(const QString& method)
{
    return !method.isEmpty()
        && std::all_of(method.cbegin(), method.cend(), [](QChar c) { return c.isLetter() && c.unicode() < 0x80; });
}

QString runTrayCommand(const QString& method)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return QStringLiteral("no session bus");
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("com.brightfold.Quorvell"), QStringLiteral("/com/brightfold/Quorvell"),
        QStringLiteral("com.brightfold.Quorvell"), method);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kTrayCommandTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    return {};
}

}  // namespace quorvellmail

#include "SelectionInput.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace quorvellmail {
namespace {

// A notmuch search over a large database takes seconds; a stuck one (a locked
// database) must not hang the mail client that called us.
constexpr int kNotmuchTimeoutMs = 120000;

// The mbox separator as mail clients write it: "From sender Sun Dec  6 07:10:23 2026".
bool isFromLine(const QByteArray& line)
{
    static const QRegularExpression pattern(
        QStringLiteral("^From \\S+ +[A-Z][a-z]{2} [A-Z][a-z]{2} +\\d{1,2} \\d{1,2}:\\d\\d(:\\d\\d)? "));
    return line.startsWith("From ") && pattern.match(QString::fromLatin1(line)).hasMatch();
}

Entries entriesFromLines(const QByteArray& text, const QString& place, bool mblaze)
{
    Entries result{{}, place};
    const QList<QByteArray> lines = text.split('\n');
    result.entries.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = QString::fromUtf8(lines.at(i)).trimmed();
        if (line.isEmpty() || (mblaze && line.startsWith(QLatin1Char('<'))))
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab > 0 && !mblaze)
            line.truncate(tab);
        result.entries.append({line, int(i + 1)});
    }
    return result;
}

}  // namespace

Entries entriesFromLines(const QByteArray& text, const QString& place)
{
    return entriesFromLines(text, place, false);
}

QList<QByteArray> splitMessages(const QByteArray& text)
{
    QList<QByteArray> messages;
    const auto take = [&](qsizetype from, qsizetype to) {
        QByteArray message = text.mid(from, to - from);
        // A separator that a client writes after each message meets the one that
        // opens the next: every "From " line in front belongs to no message.
        while (isFromLine(message.left(message.indexOf('\n'))))
            message = message.mid(message.indexOf('\n') + 1);
        if (!message.trimmed().isEmpty())
            messages.append(message);
    };
    qsizetype start = 0;
    bool afterBlank = true;
    for (qsizetype lineStart = 0; lineStart < text.size();) {
        qsizetype lineEnd = text.indexOf('\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        const QByteArray line = text.mid(lineStart, lineEnd - lineStart);
        if (afterBlank && lineStart > start && isFromLine(line)) {
            take(start, lineStart);
            start = lineStart;
        }
        afterBlank = line.isEmpty() || line == "\r";
        lineStart = lineEnd + 1;
    }
    take(start, text.size());
    return messages;
}

namespace {

// The lines notmuch search gives with this output, or none with *error set.
std::optional<QByteArray> notmuchSearch(const QString& output, const QString& query, QString* error)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("notmuch"));
    if (program.isEmpty()) {
        *error = QStringLiteral("--notmuch needs the notmuch program (Debian package notmuch)");
        return std::nullopt;
    }
    QProcess notmuch;
    notmuch.start(program, {QStringLiteral("search"), QStringLiteral("--output=") + output, QStringLiteral("--duplicate=1"),
                            QStringLiteral("--sort=oldest-first"), QStringLiteral("--"), query});
    if (!notmuch.waitForFinished(kNotmuchTimeoutMs) || notmuch.exitStatus() != QProcess::NormalExit
        || notmuch.exitCode() != 0) {
        notmuch.kill();
        *error = QStringLiteral("notmuch search failed: %1")
                     .arg(QString::fromLocal8Bit(notmuch.readAllStandardError()).trimmed());
        return std::nullopt;
    }
    const QByteArray lines = notmuch.readAllStandardOutput();
    // notmuch reports some faults (an unreadable configuration) with status 0.
    const QString complaint = QString::fromLocal8Bit(notmuch.readAllStandardError()).trimmed();
    if (lines.trimmed().isEmpty() && !complaint.isEmpty()) {
        *error = QStringLiteral("notmuch search: %1").arg(complaint);
        return std::nullopt;
    }
    return lines;
}

}  // namespace

std::optional<Entries> notmuchEntries(const QString& query, QString* error)
{
    const std::optional<QByteArray> files = notmuchSearch(QStringLiteral("files"), query, error);
    if (!files)
        return std::nullopt;
    return entriesFromLines(*files, QStringLiteral("line %1 of notmuch's answer"));
}

std::optional<QStringList> notmuchMessageIds(const QString& query, QString* error)
{
    const std::optional<QByteArray> ids = notmuchSearch(QStringLiteral("messages"), query, error);
    if (!ids)
        return std::nullopt;
    QStringList result;
    for (const Entry& entry : entriesFromLines(*ids, {}).entries)
        result.append(entry.text);
    return result;
}

std::optional<Entries> mblazeEntries(QString* error)
{
    QString path = qEnvironmentVariable("MAILSEQ");
    if (path.isEmpty()) {
        QString base = qEnvironmentVariable("MBLAZE");
        if (base.isEmpty())
            base = QDir::homePath() + QStringLiteral("/.mblaze");
        path = base + QStringLiteral("/seq");
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the mblaze sequence %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return entriesFromLines(file.readAll(), QStringLiteral("line %1 of ") + path, true);
}

}  // namespace quorvellmail

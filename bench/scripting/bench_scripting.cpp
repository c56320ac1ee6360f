// "Copy Sender Address" end to end: the sender script over 10,000 selected messages
// of a generated Maildir, then the addresses picked out and put on the clipboard.
// Goal: a median of at most 1.5 s. For scale, the same files go through
// `maddr -a -h from` (mblaze) in the same run; ratio_to_maddr is ours / theirs.

#include "addressbook/SenderList.h"
#include "platform/desktop/Log.h"
#include "platform/desktop/Sound.h"
#include "platform/mail/MailState.h"
#include "scripting/ScriptRunner.h"

#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kMessages = 10000;

// A Maildir of kMessages messages with the kinds of senders people really get,
// all of them selected. Returns the message files, in selection order.
QStringList makeMailbox(const QTemporaryDir& dir)
{
    const QString maildir = dir.filePath(QStringLiteral("Maildir"));
    for (const char* sub : {"/cur", "/new", "/tmp"})
        QDir().mkpath(maildir + QLatin1String(sub));
    qputenv("HOME", dir.filePath(QStringLiteral("home")).toUtf8());
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_STATE_HOME", dir.filePath(QStringLiteral("state")).toUtf8());
    qputenv("MAILDIR", maildir.toUtf8());

    const QByteArray senders[] = {
        "Ann Lee <ann.lee@example.org>",
        "\"Lee, Ann\" <ann@example.com>",
        "bob@example.net",
        "=?UTF-8?Q?J=C3=B6rg_M=C3=BCller?= <joerg@example.de>",
        "=?ISO-8859-1?Q?Fran=E7ois?= Dupont <francois@example.fr>",
        "Newsletter Team <news@lists.example.com>",
    };
    const QByteArray body = QByteArray("Hello,\r\n\r\n") + QByteArray("This is a line of ordinary text. ").repeated(40)
                            + "\r\n\r\nRegards\r\n";
    QStringList files;
    QStringList uniqueNames;
    for (int i = 0; i < kMessages; ++i) {
        const QByteArray n = QByteArray::number(i);
        const QString unique = QStringLiteral("17000%1.M%1P42.bench").arg(i, 5, 10, QLatin1Char('0'));
        const QByteArray message =
            "Return-Path: <bounce@example.org>\r\nFrom: " + senders[i % std::size(senders)]
            + "\r\nTo: Me <me@example.org>, Team <team@example.org>\r\nCc: other@example.org\r\n"
              "Subject: Message number "
            + n + "\r\nDate: Mon, 6 Nov 2023 10:00:00 +0000\r\nMessage-ID: <" + n
            + ".bench@example.org>\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" + body;
        const QString file = maildir + QStringLiteral("/cur/") + unique + QStringLiteral(":2,S");
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(message) != message.size())
            return {};
        files << file;
        uniqueNames << unique;
    }
    if (!platform::mail::MailState().writeSelection(uniqueNames))
        return {};
    return files;
}

// `maddr -a -h from` over the files (names on standard input); its line count.
int runMaddr(const QString& maddr, const QByteArray& fileList)
{
    QProcess process;
    process.start(maddr, {QStringLiteral("-a"), QStringLiteral("-h"), QStringLiteral("from")});
    process.write(fileList);
    process.closeWriteChannel();
    process.waitForFinished(-1);
    return static_cast<int>(process.readAllStandardOutput().count('\n'));
}

void BM_CopySenderAddress(benchmark::State& state)
{
    // One mailbox for every repetition: writing it takes longer than a run.
    static QTemporaryDir dir;
    static const QStringList files = makeMailbox(dir);
    if (files.size() != kMessages) {
        state.SkipWithError("could not write the Maildir");
        return;
    }
    const QString maddr = QStandardPaths::findExecutable(QStringLiteral("maddr"));
    const QByteArray fileList = files.join(QLatin1Char('\n')).toUtf8() + '\n';
    platform::desktop::setSoundObserver([](const QString&) {});
    platform::desktop::setLogSink([](const QString&) {});

    double maddrSeconds = 0;
    double oursSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const std::optional<QString> text =
            quorvell::runMailScript(QStringLiteral("Mail Sender.applescript"), false, false, false);
        if (!text) {
            state.SkipWithError("Mail Sender.applescript failed");
            break;
        }
        quorvell::copySenderField(*text, quorvell::SenderFieldAddress);
        const double ours = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        state.SetIterationTime(ours);
        oursSeconds += ours;

        const QString copied = QGuiApplication::clipboard()->text();
        if (copied.count(QLatin1Char('@')) != kMessages) {
            state.SkipWithError("the clipboard does not hold one address per message");
            break;
        }
        if (!maddr.isEmpty()) {
            timer.restart();
            const int lines = runMaddr(maddr, fileList);
            maddrSeconds += static_cast<double>(timer.nsecsElapsed()) / 1e9;
            if (lines != kMessages) {
                state.SkipWithError("maddr did not print one address per message");
                break;
            }
        }
    }
    platform::desktop::setSoundObserver({});
    platform::desktop::setLogSink({});
    state.counters["messages_per_s"] =
        benchmark::Counter(static_cast<double>(kMessages) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    if (maddrSeconds > 0) {
        state.counters["maddr_s"] = maddrSeconds / static_cast<double>(state.iterations());
        state.counters["ratio_to_maddr"] = oursSeconds / maddrSeconds;
    }
}
BENCHMARK(BM_CopySenderAddress)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

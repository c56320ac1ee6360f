// The copy commands on their real path, each against the command-line tool a person
// would pipe into a clipboard program instead.
//
// One run is what the session-bus method starts: runCopyCommand reads the settings,
// loads the script resource, reads the selection state and the messages, joins the
// text and writes the clipboard. The peer then reads the same files in the same
// process run: mhdr, maddr and mshow of mblaze (names on standard input, as their
// manuals suggest for many messages), cat for the source. Goal of the project: every
// ratio_to_peer at most 1.0, and a peak memory growth at most three times the text
// produced (rss_growth_to_text; the first repetition is the honest one, later ones
// reuse memory the allocator kept).
//
// Counters: peer_s and ratio_to_peer (wall time), cpu_s, peer_cpu_s and
// cpu_ratio_to_peer (process CPU: ours with the second core's reader thread, and
// the peer's user+system time),
// peak_rss_MiB (this process during the command), rss_growth_MiB and text_MiB (the
// clipboard's UTF-8 bytes). Without mblaze the ratios are skipped and the label says so.
//
// The Maildirs (MailCorpus.h) are written once into a temporary folder, or kept in
// $QUORVELL_BENCH_MAILDIRS between runs (a set found complete there is reused; its
// "names" file marks it complete, so delete the folder after changing the
// generator). One untimed
// run of each command and each peer first gives the messages their ids, as the
// app's first command does, and warms the page cache for both sides alike.

#include "bench/copy/MailCorpus.h"
#include "platform/desktop/Log.h"
#include "platform/desktop/Sound.h"
#include "platform/mail/MailState.h"
#include "scripting/CopyCommands.h"

#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>

#include <array>
#include <ctime>
#include <map>
#include <memory>
#include <set>

namespace {

using quorvell::Command;
using quorvell::bench::CorpusSet;

enum class Check {
    OneLinePerMessage,  // one line per selected message
    SameLinesAsPeer,    // as many lines as the peer prints (recipient lists)
    NotEmpty,
};

struct Row {
    const char* name;
    Command command;
    CorpusSet set;
    const char* peer;
    std::array<const char*, 3> arguments;  // nullptr ends the list early
    Check check;
};

// The commands with the tool each is measured against.
constexpr Row kRows[] = {
    {"CopySubject", Command::CopySubject, CorpusSet::Mixed, "mhdr", {"-h", "subject", "-d"}, Check::OneLinePerMessage},
    {"CopyMessageID", Command::CopyMessageID, CorpusSet::Mixed, "mhdr", {"-h", "message-id", nullptr},
     Check::OneLinePerMessage},
    {"CopySender", Command::CopySender, CorpusSet::Mixed, "maddr", {"-a", "-h", "from"}, Check::OneLinePerMessage},
    {"CopySenderName", Command::CopySenderName, CorpusSet::Mixed, "maddr", {"-a", "-h", "from"},
     Check::OneLinePerMessage},
    {"CopySenderAddress", Command::CopySenderAddress, CorpusSet::Mixed, "maddr", {"-a", "-h", "from"},
     Check::OneLinePerMessage},
    {"CopyRecipient", Command::CopyRecipient, CorpusSet::Mixed, "maddr", {"-a", "-h", "to:cc"},
     Check::SameLinesAsPeer},
    {"CopyRecipientName", Command::CopyRecipientName, CorpusSet::Mixed, "maddr", {"-a", "-h", "to:cc"},
     Check::SameLinesAsPeer},
    {"CopyRecipientAddress", Command::CopyRecipientAddress, CorpusSet::Mixed, "maddr", {"-a", "-h", "to:cc"},
     Check::SameLinesAsPeer},
    {"CopyAllHeaders", Command::CopyAllHeaders, CorpusSet::Mixed, "mhdr", {nullptr, nullptr, nullptr},
     Check::NotEmpty},
    {"CopyContent", Command::CopyContent, CorpusSet::Large, "mshow", {"-n", nullptr, nullptr}, Check::NotEmpty},
    {"CopySummary", Command::CopySummary, CorpusSet::Large, "mshow", {"-n", nullptr, nullptr}, Check::NotEmpty},
    {"CopySource", Command::CopySource, CorpusSet::Large, "cat", {nullptr, nullptr, nullptr}, Check::NotEmpty},
};

QTemporaryDir& workFolder()
{
    static QTemporaryDir dir;
    return dir;
}

QString corpusFolder()
{
    const QString kept = qEnvironmentVariable("QUORVELL_BENCH_MAILDIRS");
    return kept.isEmpty() ? workFolder().path() : kept;
}

// The unique names of the set under base, written when it is not complete there.
QStringList corpusNames(CorpusSet set, const QString& base)
{
    QFile list(base + QStringLiteral("/names"));
    if (list.open(QIODevice::ReadOnly)) {
        const QStringList names = QString::fromUtf8(list.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (names.size() == quorvell::bench::corpusShape(set).count)
            return names;
    }
    const QStringList names = quorvell::bench::writeCorpus(set, base + QStringLiteral("/Maildir"));
    QSaveFile out(base + QStringLiteral("/names"));
    const QByteArray data = names.join(QLatin1Char('\n')).toUtf8();
    if (names.isEmpty() || !out.open(QIODevice::WriteOnly) || out.write(data) != data.size() || !out.commit())
        return {};
    return names;
}

// One generated Maildir with its own state folder, so each keeps its ids.
struct PreparedSet {
    QString maildir;
    QString state;
    QStringList files;
    QByteArray fileList;  // the files, one a line
};

const PreparedSet* prepare(CorpusSet set)
{
    static std::map<CorpusSet, std::unique_ptr<PreparedSet>> prepared;
    auto& slot = prepared[set];
    if (!slot) {
        const QString base = corpusFolder()
                             + (set == CorpusSet::Mixed ? QStringLiteral("/mixed") : QStringLiteral("/large"));
        auto result = std::make_unique<PreparedSet>();
        result->maildir = base + QStringLiteral("/Maildir");
        result->state = base + QStringLiteral("/state");
        const QStringList names = corpusNames(set, base);
        if (names.isEmpty())
            return nullptr;
        for (const QString& name : names)
            result->files << result->maildir + QStringLiteral("/cur/") + name + QStringLiteral(":2,S");
        result->fileList = result->files.join(QLatin1Char('\n')).toUtf8() + '\n';
        // The selection as quorvell-mail writes it for a person: the mailbox, and
        // each message's file and Message-ID.
        qputenv("MAILDIR", result->maildir.toUtf8());
        qputenv("XDG_STATE_HOME", result->state.toUtf8());
        if (!platform::mail::MailState().writeSelection(names))
            return nullptr;
        slot = std::move(result);
    }
    qputenv("MAILDIR", slot->maildir.toUtf8());
    qputenv("XDG_STATE_HOME", slot->state.toUtf8());
    return slot.get();
}

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double childrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM").
double statusKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble();
    }
    return 0;
}

// Starts a new peak: memory the allocator kept goes back first, then the kernel's
// high-water mark is set to the present size.
void resetPeak()
{
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

struct PeerResult {
    double seconds = 0;
    double cpuSeconds = 0;
    qsizetype lines = -1;  // -1: the peer failed
};

PeerResult runPeer(const QString& program, const Row& row, const PreparedSet& set)
{
    QStringList arguments;
    for (const char* argument : row.arguments) {
        if (argument)
            arguments << QString::fromLatin1(argument);
    }
    const bool namesOnStdin = QLatin1String(row.peer) != QLatin1String("cat");
    if (!namesOnStdin)
        arguments += set.files;
    PeerResult result;
    const double cpuBefore = childrenCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.start(program, arguments);
    if (namesOnStdin)
        process.write(set.fileList);
    process.closeWriteChannel();
    process.waitForFinished(-1);
    const QByteArray output = process.readAllStandardOutput();
    result.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    result.cpuSeconds = childrenCpuSeconds() - cpuBefore;
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        result.lines = output.count('\n');
    return result;
}

QByteArray clipboardBytes()
{
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    return mime ? mime->data(QStringLiteral("text/plain;charset=utf-8")) : QByteArray();
}

qsizetype lineCount(const QByteArray& text)
{
    return text.isEmpty() ? 0 : text.count('\n') + (text.endsWith('\n') ? 0 : 1);
}

// Why the clipboard does not hold what the command should have produced, or empty.
std::string checkText(const Row& row, const QByteArray& text, const PeerResult& peer, int messages)
{
    const qsizetype lines = lineCount(text);
    switch (row.check) {
    case Check::OneLinePerMessage:
        if (lines != messages)
            return "the clipboard holds " + std::to_string(lines) + " lines, not one per message";
        break;
    case Check::SameLinesAsPeer:
        if (peer.lines >= 0 && lines != peer.lines)
            return "the clipboard holds " + std::to_string(lines) + " lines, the peer printed "
                   + std::to_string(peer.lines);
        break;
    case Check::NotEmpty:
        if (text.isEmpty())
            return "the clipboard is empty";
        break;
    }
    return {};
}

void runRow(benchmark::State& state, const Row& row)
{
    const PreparedSet* set = prepare(row.set);
    if (!set) {
        state.SkipWithError("could not write the Maildir");
        return;
    }
    const int messages = static_cast<int>(set->files.size());
    const QString peer = QStandardPaths::findExecutable(QLatin1String(row.peer));
    static std::set<const Row*> warm;
    if (warm.insert(&row).second) {
        quorvell::runCopyCommand(row.command);
        if (!peer.isEmpty())
            (void)runPeer(peer, row, *set);
    }

    double seconds = 0, cpu = 0, peerSeconds = 0, peerCpu = 0, peakKiB = 0, growthKiB = 0, textBytes = 0;
    for (auto _ : state) {
        QGuiApplication::clipboard()->clear();
        resetPeak();
        const double rssBefore = statusKiB("VmRSS");
        const double cpuBefore = processCpuSeconds();
        QElapsedTimer timer;
        timer.start();
        quorvell::runCopyCommand(row.command);
        const double elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        cpu += processCpuSeconds() - cpuBefore;
        state.SetIterationTime(elapsed);
        seconds += elapsed;
        const double peak = statusKiB("VmHWM");
        peakKiB = std::max(peakKiB, peak);
        growthKiB = std::max(growthKiB, peak - rssBefore);

        const QByteArray text = clipboardBytes();
        textBytes = static_cast<double>(text.size());
        PeerResult theirs;
        if (!peer.isEmpty()) {
            theirs = runPeer(peer, row, *set);
            if (theirs.lines < 0) {
                state.SkipWithError((std::string(row.peer) + " failed").c_str());
                return;
            }
            peerSeconds += theirs.seconds;
            peerCpu += theirs.cpuSeconds;
        }
        if (const std::string wrong = checkText(row, text, theirs, messages); !wrong.empty()) {
            state.SkipWithError(wrong.c_str());
            return;
        }
    }
    const auto iterations = static_cast<double>(state.iterations());
    constexpr double kMiB = 1024.0 * 1024.0;
    state.counters["messages"] = messages;
    state.counters["cpu_s"] = cpu / iterations;
    state.counters["peak_rss_MiB"] = peakKiB / 1024.0;
    state.counters["rss_growth_MiB"] = growthKiB / 1024.0;
    state.counters["text_MiB"] = textBytes / kMiB;
    if (textBytes > 0)
        state.counters["rss_growth_to_text"] = growthKiB * 1024.0 / textBytes;
    if (peer.isEmpty()) {
        state.SetLabel(std::string(row.peer) + " not installed (Debian package mblaze): no ratio");
        return;
    }
    state.counters["peer_s"] = peerSeconds / iterations;
    state.counters["peer_cpu_s"] = peerCpu / iterations;
    if (peerSeconds > 0)
        state.counters["ratio_to_peer"] = seconds / peerSeconds;
    if (peerCpu > 0)
        state.counters["cpu_ratio_to_peer"] = cpu / peerCpu;
    state.SetLabel(row.peer);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString home = workFolder().filePath(QStringLiteral("home"));
    QDir().mkpath(home);
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", workFolder().filePath(QStringLiteral("config")).toUtf8());
    QGuiApplication app(argc, argv);
    platform::desktop::setSoundObserver([](const QString&) {});
    platform::desktop::setLogSink([](const QString&) {});
    for (const Row& row : kRows) {
        benchmark::RegisterBenchmark(row.name, [&row](benchmark::State& state) { runRow(state, row); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// `quorvell-mail select` fed by a mail client: the whole process, from start to
// the selection written, over a Maildir of 10,000 messages, all of them selected.
//   10,000 file paths on standard input (notmuch, mseq)     goal: median <= 0.3 s
//   10,000 Message-IDs as id: terms, 10,000 piped messages  for comparison: every
//   header of the mailbox is read then.
// Wall-clock time: the person waits for the process, not for its CPU share. The
// counter tool_cpu_ms is the tool's own CPU time (user and system), which a busy
// machine does not inflate; BM_ProcessStart is the floor that any run pays.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

constexpr int kMessages = 10000;

class GeneratedMailbox {
public:
    GeneratedMailbox()
    {
        for (const char* sub : {"/Maildir/cur", "/Maildir/new", "/Maildir/tmp"})
            QDir().mkpath(m_dir.path() + QLatin1String(sub));
        for (int i = 0; i < kMessages; ++i) {
            const QByteArray number = QByteArray::number(i);
            const QString path = m_dir.path() + QStringLiteral("/Maildir/cur/%1.M%2P1.bench:2,S").arg(1765000000 + i).arg(i);
            const QByteArray message = "From: Sender " + number + " <sender" + number + "@example.org>\n"
                                       "To: team@example.org\nSubject: Status report " + number + "\n"
                                       "Date: Mon, 08 Dec 2025 11:20:00 +0000\n"
                                       "Message-ID: <msg-" + number + "@example.org>\n\nThe numbers are in.\n";
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write(message);
            m_paths += path.toUtf8() + '\n';
            m_ids += "id:msg-" + number + "@example.org\n";
            m_messages += "From sender Mon Dec  8 11:20:00 2025\n" + message + '\n';
        }
    }

    // Runs the tool with input on its standard input; false when it fails.
    bool select(const QStringList& arguments, const QByteArray& input) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("MAILDIR"), m_dir.path() + QStringLiteral("/Maildir"));
        environment.insert(QStringLiteral("XDG_STATE_HOME"), m_dir.path() + QStringLiteral("/state"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUORVELL_MAIL_TOOL), QStringList{QStringLiteral("select")} + arguments);
        process.write(input);
        process.closeWriteChannel();
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    QByteArray m_paths;
    QByteArray m_ids;
    QByteArray m_messages;

private:
    QTemporaryDir m_dir;
};

const GeneratedMailbox& mailbox()
{
    static const GeneratedMailbox generated;
    return generated;
}

double childrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

void run(benchmark::State& state, const QStringList& arguments, const QByteArray& input)
{
    (void)mailbox();
    const double before = childrenCpuMs();
    for (auto _ : state) {
        if (!mailbox().select(arguments, input)) {
            state.SkipWithError("quorvell-mail select failed");
            break;
        }
    }
    state.counters["tool_cpu_ms"] = benchmark::Counter((childrenCpuMs() - before) / double(state.iterations()));
}

void BM_ProcessStart(benchmark::State& state)
{
    // --help prints the usage and reads no mailbox: what every start costs.
    const double before = childrenCpuMs();
    for (auto _ : state) {
        QProcess process;
        process.start(QStringLiteral(QUORVELL_MAIL_TOOL), {QStringLiteral("--help")});
        process.waitForFinished(60000);
    }
    state.counters["tool_cpu_ms"] = benchmark::Counter((childrenCpuMs() - before) / double(state.iterations()));
}

void BM_SelectFilesFromStdin10000(benchmark::State& state)
{
    run(state, {QStringLiteral("-")}, mailbox().m_paths);
}

void BM_SelectMessageIdsFromStdin10000(benchmark::State& state)
{
    run(state, {QStringLiteral("-")}, mailbox().m_ids);
}

void BM_SelectPipedMessages10000(benchmark::State& state)
{
    run(state, {QStringLiteral("--messages")}, mailbox().m_messages);
}

}  // namespace

BENCHMARK(BM_ProcessStart)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_SelectFilesFromStdin10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_SelectMessageIdsFromStdin10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SelectPipedMessages10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();

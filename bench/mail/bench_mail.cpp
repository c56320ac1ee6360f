// The mail scripts end to end over large selections: the engine runs the shipped
// resource against a generated Maildir, as a copy command does.
//   Subject over 10,000 selected messages     goal: median <= 1 s
//   Content over 1,000 messages of 50 KB      goal: median <= 1 s
//   `whose` over the 10,000 messages of inbox  goal: median <= 0.3 s (headers only)
// The Maildirs are generated once, in a temporary folder, before the first run;
// one warm-up run gives every message its id, as the app's first command would.

#include "platform/applescript/AppleScript.h"
#include "platform/mail/HtmlText.h"
#include "platform/mail/MailApplication.h"
#include "platform/mail/MailMessage.h"
#include "platform/mail/MailState.h"
#include "platform/mail/Mailbox.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

QString resourceText(const char* name)
{
    QFile file(QStringLiteral(QUORVELL_RESOURCES_FOR_BENCH "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QTextCodec::codecForName("Apple Roman")->toUnicode(file.readAll());
}

QByteArray header(int i)
{
    return "From: Sender " + QByteArray::number(i) + " <sender" + QByteArray::number(i) + "@example.org>\n"
           "To: Robin Ashdown <robin@ashdown.example>, team@example.org\n"
           "Subject: =?UTF-8?Q?Status_report_=E2=80=94_week_" + QByteArray::number(i) + "?=\n"
           "Date: Mon, 08 Dec 2025 11:20:00 +0000\n"
           "Message-ID: <msg-" + QByteArray::number(i) + "@example.org>\n"
           "MIME-Version: 1.0\n";
}

// A Maildir of count messages of about bodyBytes each (multipart/alternative: a
// quoted-printable plain part and an HTML part), all selected; the environment points the mail stand-in at it.
class GeneratedMailbox {
public:
    GeneratedMailbox(int count, int bodyBytes)
    {
        qputenv("MAILDIR", (m_dir.path() + QStringLiteral("/Maildir")).toUtf8());
        qputenv("XDG_STATE_HOME", (m_dir.path() + QStringLiteral("/state")).toUtf8());
        for (const char* sub : {"/Maildir/cur", "/Maildir/new", "/Maildir/tmp"})
            QDir().mkpath(m_dir.path() + QLatin1String(sub));
        // Half plain text, half HTML, as a 50 KB message usually is.
        const QByteArray line = "Gr=C3=BC=C3=9Fe, the numbers for this week are in the sheet; nothing unusual.\n";
        const QByteArray html = "<p>Gr&uuml;&szlig;e, the numbers for this week are in <b>the sheet</b>.</p>\n";
        QByteArray plain;
        QByteArray rich;
        while (plain.size() + rich.size() < bodyBytes) {
            plain += line;
            rich += html;
        }
        const QByteArray body = "--alt\nContent-Type: text/plain; charset=utf-8\n"
                                "Content-Transfer-Encoding: quoted-printable\n\n" + plain +
                                "--alt\nContent-Type: text/html; charset=utf-8\n\n" + rich + "--alt--\n";
        QStringList names;
        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("%1.M%2P1.bench").arg(1765000000 + i).arg(i);
            QFile file(m_dir.path() + QStringLiteral("/Maildir/cur/") + name + QStringLiteral(":2,S"));
            if (!file.open(QIODevice::WriteOnly))
                continue;
            file.write(header(i) + "Content-Type: multipart/alternative; boundary=\"alt\"\n\n" + body);
            names.append(name);
        }
        (void)platform::mail::MailState().writeSelection(names);
        platform::mail::registerMailApplication();
    }

private:
    QTemporaryDir m_dir;
};

void runText(benchmark::State& state, const QString& text, int count, int bodyBytes);

void runResource(benchmark::State& state, const char* resource, int count, int bodyBytes)
{
    runText(state, resourceText(resource), count, bodyBytes);
}

void runText(benchmark::State& state, const QString& text, int count, int bodyBytes)
{
    static std::unique_ptr<GeneratedMailbox> mailbox;
    static QString prepared;
    const QString key = QStringLiteral("%1/%2").arg(count).arg(bodyBytes);
    if (prepared != key) {
        mailbox.reset();
        mailbox = std::make_unique<GeneratedMailbox>(count, bodyBytes);
        prepared = key;
    }
    (void)platform::applescript::AppleScript(text).executeAndReturnError();  // warm-up: ids
    for (auto _ : state) {
        platform::applescript::ErrorInfo error;
        const auto result = platform::applescript::AppleScript(text).executeAndReturnError(&error);
        const std::optional<QString> copied = result ? result->stringValue() : std::nullopt;
        if (!copied) {
            state.SkipWithError(error.message.toUtf8().constData());
            break;
        }
        benchmark::DoNotOptimize(copied->size());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_SubjectResource10000(benchmark::State& state)
{
    runResource(state, "Mail Subject.applescript", 10000, 400);
}

void BM_WhoseSubject10000(benchmark::State& state)
{
    runText(state,
            QStringLiteral("tell application \"Mail\"\n"
                           "    set found to every message of inbox whose subject contains \"x\"\n"
                           "end tell\n"
                           "\"\" & (count of found)"),
            10000, 400);
}

void BM_ContentResource1000x50KB(benchmark::State& state)
{
    runResource(state, "Mail Content.applescript", 1000, 50 * 1024);
}

// The mail side alone of the content run: every selected message's text.
void BM_ContentOnly1000x50KB(benchmark::State& state)
{
    static GeneratedMailbox mailbox(1000, 50 * 1024);
    const auto selected = platform::mail::MailState().read().messages->all();
    for (auto _ : state) {
        qsizetype total = 0;
        for (const auto& location : selected)
            total += platform::mail::MailMessage(location).content().size();
        benchmark::DoNotOptimize(total);
    }
}

// One message's subject from a 50 KB file: the header alone is read.
void BM_SubjectOfOneLargeMessage(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/1.M1.x:2,S");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(header(1) + "\n" + QByteArray(50 * 1024, 'x'));
    file.close();
    for (auto _ : state) {
        platform::mail::MailMessage message({QStringLiteral("INBOX"), QStringLiteral("1.M1.x"), path, QStringLiteral("S")});
        benchmark::DoNotOptimize(message.subject().size());
    }
}

// An HTML part turned into text at growing sizes: the time per byte stays flat.
void BM_HtmlToText(benchmark::State& state)
{
    QString html;
    while (html.size() < state.range(0))
        html += QStringLiteral("<tr><td><a href=\"https://e.x/\">Caf&eacute;</a></td><td title='a>b'>text &amp; "
                               "more<br></td></tr><!-- note --><ul><li>item</li></ul>\n");
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::mail::htmlToText(html).size());
    state.SetBytesProcessed(state.iterations() * html.size() * 2);
    state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK(BM_SubjectResource10000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_WhoseSubject10000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ContentResource1000x50KB)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ContentOnly1000x50KB)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_SubjectOfOneLargeMessage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HtmlToText)->RangeMultiplier(8)->Range(64 << 10, 4 << 20)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

BENCHMARK_MAIN();

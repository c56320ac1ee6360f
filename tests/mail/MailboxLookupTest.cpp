// Which mailbox is shown: a set MAILDIR is the mailbox or an error naming it, never
// a reason to show other mail; the sample serves only with MAILDIR unset and no
// ~/Maildir. The tools fail on a MAILDIR that names no Maildir.

#include "MailTestSupport.h"

#include "platform/desktop/Bundle.h"
#include "platform/mail/Mailbox.h"

#include "tests/support/ToolRun.h"

using mailtest::MailEnvironment;
using platform::mail::Mailbox;
using Source = platform::mail::MailboxLookup::Source;

namespace {

// MAILDIR: nullptr unset, "" empty, else a path in the home folder, where "Other"
// is a Maildir, "a-file" a file, "plain" a folder without cur/ and new/.
struct LookupCase {
    const char* name;
    const char* maildir;
    bool homeMaildir;
    Source source;
    const char* problem;  // a phrase of the problem; nullptr: none
};

const LookupCase kCases[] = {
    {"set to a Maildir", "Other", true, Source::Environment, nullptr},
    {"set to a missing folder", "no-such-maildir", true, Source::None, "does not exist"},
    {"set to a file", "a-file", true, Source::None, "is a file"},
    {"set to a folder without cur and new", "plain", true, Source::None, "no cur/ or new/"},
    {"unset, with ~/Maildir", nullptr, true, Source::Home, nullptr},
    {"empty, with ~/Maildir", "", true, Source::Home, nullptr},
    {"unset, without ~/Maildir", nullptr, false, Source::Sample, nullptr},
};

// Sets MAILDIR as the case says, beside the folders and the file it may name.
QString arrange(const MailEnvironment& env, const LookupCase& c)
{
    QDir().mkpath(env.home() + QStringLiteral("/Other/cur"));
    QDir().mkpath(env.home() + QStringLiteral("/plain/tmp"));
    QFile file(env.home() + QStringLiteral("/a-file"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    if (!c.homeMaildir)
        QDir(env.maildir()).removeRecursively();
    if (!c.maildir) {
        qunsetenv("MAILDIR");
        return {};
    }
    const QString path = *c.maildir ? env.home() + QLatin1Char('/') + QLatin1String(c.maildir) : QString();
    qputenv("MAILDIR", path.toUtf8());
    return path;
}

TEST(MailboxLookup, AppliesTheRuleAndNamesARefusedMaildir)
{
    QTemporaryDir resources;
    QDir().mkpath(resources.path() + QStringLiteral("/SampleMaildir/cur"));
    platform::desktop::setResourcesDirectoryOverride(resources.path());
    for (const LookupCase& c : kCases) {
        SCOPED_TRACE(c.name);
        MailEnvironment env;
        const QString path = arrange(env, c);
        const auto found = Mailbox::lookup();
        EXPECT_EQ(found.source, c.source);
        if (c.problem) {
            EXPECT_TRUE(found.root.isEmpty());
            EXPECT_TRUE(found.problem.contains(path)) << found.problem.toStdString();
            EXPECT_TRUE(found.problem.contains(QLatin1String(c.problem))) << found.problem.toStdString();
            EXPECT_FALSE(Mailbox::locate().exists());
        } else {
            EXPECT_TRUE(found.problem.isEmpty()) << found.problem.toStdString();
            EXPECT_EQ(Mailbox::locate().root(), found.root);
        }
    }
    platform::desktop::setResourcesDirectoryOverride(std::nullopt);
}

TEST(MailboxLookup, ToolsFailOnARefusedMaildirNamingIt)
{
    const QString subjectScript = mailtest::sourceDir() + QStringLiteral("/resources/Mail Subject.applescript");
    for (const LookupCase& c : kCases) {
        if (!c.problem)
            continue;
        SCOPED_TRACE(c.name);
        MailEnvironment env;
        const QString path = arrange(env, c);
        for (const auto& [tool, arguments] : {std::pair{"quorvell-mail", QStringList{"list"}},
                                              std::pair{"quorvell-script", QStringList{subjectScript}}}) {
            const ToolRun run = runTool(qEnvironmentVariable("QUORVELL_BINARY_DIR") + "/tools/" + tool + "/" + tool, arguments);
            EXPECT_EQ(run.status, 1) << tool;
            EXPECT_TRUE(run.err.contains(path)) << run.err.toStdString();
        }
    }
}

}  // namespace

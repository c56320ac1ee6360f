// The runner against the real engine, the real preference store and the clipboard
// of the offscreen platform; script resources of the test's own.

#include "ScriptTestEnvironment.h"

#include "platform/desktop/Bundle.h"
#include "scripting/Clipboard.h"
#include "scripting/ScriptRunner.h"

#include <QFile>

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

using quorvell::runMailScript;
using quorvell::runMailScriptReplacing;

namespace {

const QString kScript = QStringLiteral("Test Script.applescript");
const QString kPing = QStringLiteral("Ping");

class ScriptRunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(env.isValid());
        ScriptTestEnvironment::setClipboardText(QStringLiteral("before"));
    }

    void script(const QString& source) { ASSERT_TRUE(env.writeScript(kScript, source)); }

    ScriptTestEnvironment env;
};

TEST(CommaDelimitedText, EveryBreakBecomesOneComma)
{
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"a\r\nb\rc\nd", "a,b,c,d"},       // CR LF, lone CR, lone LF
        {"a\r\n\r\nb\r\n", "a,,b,"},       // an empty line gives two commas; nothing trimmed
        {"\na\n", ",a,"},                  // breaks at both ends stay
        {"a\n\rb", "a,,b"},                // LF CR is two breaks
        {"a\r\r\nb", "a,,b"},              // CR then CR LF
        {"Lee, Ann\nBob", "Lee, Ann,Bob"}, // existing commas and blanks untouched
        {"", ""},
        {"no breaks", "no breaks"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(quorvell::commaDelimitedText(QString::fromLatin1(c.in)), QString::fromLatin1(c.out)) << c.in;
}

// The reverse-order switch is the first lower-case "false" of the text, wherever it
// stands; a text without one runs as it is.
TEST_F(ScriptRunnerTest, ReverseOrderSwitchesOnlyTheFirstFalse)
{
    struct Case {
        const char* name;
        const char* source;
        const char* normal;
        const char* reversed;
    };
    const Case cases[] = {
        {"two switches", "set x to false\nset y to false\nreturn (x as text) & \",\" & (y as text)",
         "false,false", "true,false"},
        {"capitalised False first", "set z to \"False\"\nset x to false\nreturn z & \",\" & (x as text)",
         "False,false", "False,true"},
        {"inside a word", "set falsehood to \"w\"\nset x to false\nreturn (x as text)", "false", "false"},
        {"inside a string", "set s to \"falsetto\"\nset x to false\nreturn s & \",\" & (x as text)",
         "falsetto,false", "truetto,false"},
        {"inside a comment", "-- false start\nset x to false\nreturn (x as text)", "false", "false"},
        {"no switch at all", "return \"plain\"", "plain", "plain"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        script(QString::fromLatin1(c.source));
        EXPECT_EQ(runMailScript(kScript, false, false, false), QString::fromLatin1(c.normal));
        EXPECT_EQ(runMailScript(kScript, true, false, false), QString::fromLatin1(c.reversed));
    }
}

// The resource is Mac OS Roman on disk, with the classic CR line ends; the
// clipboard gets UTF-8.
TEST_F(ScriptRunnerTest, ScriptTextIsReadAsMacRoman)
{
    script(QStringLiteral("set x to false\rset t to \"Mädchen für “alles” – café\"\rreturn t"));
    EXPECT_EQ(runMailScript(kScript, false, true, false), QStringLiteral("Mädchen für “alles” – café"));
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->data(QStringLiteral("text/plain;charset=utf-8")),
              QStringLiteral("Mädchen für “alles” – café").toUtf8());
}

// A success gives the text, writes the clipboard only when asked, and plays once;
// the resource is read again at every run.
TEST_F(ScriptRunnerTest, SuccessWritesTheClipboardOnlyWhenAskedAndPlaysOnce)
{
    script(QStringLiteral("return \"text\""));
    EXPECT_EQ(runMailScript(kScript, false, false, false), QStringLiteral("text"));
    EXPECT_EQ(ScriptTestEnvironment::clipboardText(), QStringLiteral("before"));
    EXPECT_EQ(env.sounds(), QStringList{kPing});
    script(QStringLiteral("return \"\""));
    EXPECT_EQ(runMailScript(kScript, false, true, false), QString());
    EXPECT_EQ(ScriptTestEnvironment::clipboardText(), QString());
    EXPECT_EQ(env.sounds(), (QStringList{kPing, kPing}));
}

// Every failure gives no result, leaves the clipboard and plays nothing; a script
// that fails leaves one log line with its name, the line and the error.
TEST_F(ScriptRunnerTest, FailedRunsTouchNothing)
{
    struct Case {
        const char* name;
        QString scriptName;
        const char* source;  // written under scriptName unless null
        const char* log;     // the one line of the first run, if any
    };
    const Case cases[] = {
        {"run-time error", kScript, "set x to 1\rerror \"boom\" number 42",
         "Test Script.applescript: execution error at line 2: boom (42)"},
        {"compile error", kScript, "set x to\r",
         "Test Script.applescript: syntax error at line 1: Expected expression but found end of line. (-2741)"},
        {"undefined variable", kScript, "return nothingDefinedHere", nullptr},
        {"result without text", kScript, "return {1, 2}", nullptr},
        {"missing resource", QStringLiteral("No Such Script.applescript"), nullptr, nullptr},
        {"name leaving the folder", QStringLiteral("../Escaped.applescript"), nullptr, nullptr},
        {"empty name", QString(), nullptr, nullptr},
        {"a folder of the script's name", QStringLiteral("Folder.applescript"), nullptr, nullptr},
        {"no resources folder", kScript, "return \"text\"", nullptr},
    };
    // A script outside the resources folder that would succeed if it were reached.
    ASSERT_TRUE(env.writeScript(QStringLiteral("../Escaped.applescript"), QStringLiteral("return \"out\"")));
    ASSERT_TRUE(QDir().mkpath(env.path(QStringLiteral("resources/Folder.applescript"))));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.source) {
            ASSERT_TRUE(env.writeScript(c.scriptName, QString::fromLatin1(c.source)));
        }
        if (c.name == std::string_view("no resources folder"))
            platform::desktop::setResourcesDirectoryOverride(QString());
        const qsizetype logged = env.logLines().size();
        for (const bool commas : {false, true}) {
            EXPECT_EQ(runMailScript(c.scriptName, true, true, commas), std::nullopt);
            if (c.log && !commas) {
                EXPECT_EQ(env.logLines().mid(logged), QStringList{QString::fromLatin1(c.log)});
            }
            EXPECT_EQ(ScriptTestEnvironment::clipboardText(), QStringLiteral("before"));
        }
        EXPECT_EQ(runMailScriptReplacing(c.scriptName, QStringLiteral("x"), QStringLiteral("y")), std::nullopt);
        EXPECT_TRUE(env.sounds().isEmpty());
    }
}

TEST_F(ScriptRunnerTest, ReplacingChangesEveryOccurrenceInAnyCase)
{
    const QString placeholder = QStringLiteral("/Users/kestrin/Documents/Mail to PDF");
    script(QStringLiteral("set a to \"/Users/kestrin/Documents/Mail to PDF\"\n"
                          "set b to \"/users/KESTRIN/documents/mail TO pdf/x.pdf\"\n"
                          "set c to false\n"
                          "return a & linefeed & b & \"|\" & (c as text)"));
    struct Case {
        const char* name;
        std::optional<QString> target;
        QString replacement;
        QString expected;
    };
    const Case cases[] = {
        {"every occurrence", placeholder, QStringLiteral("/tmp/Chosen Folder"),
         QStringLiteral("/tmp/Chosen Folder\n/tmp/Chosen Folder/x.pdf|false")},
        {"replacement holding the target", placeholder, placeholder + QStringLiteral("/sub"),
         placeholder + QStringLiteral("/sub\n") + placeholder + QStringLiteral("/sub/x.pdf|false")},
        {"no target", std::nullopt, QStringLiteral("/tmp"),
         placeholder + QStringLiteral("\n/users/KESTRIN/documents/mail TO pdf/x.pdf|false")},
        {"empty target matches nothing", QString(), QStringLiteral("!"),
         placeholder + QStringLiteral("\n/users/KESTRIN/documents/mail TO pdf/x.pdf|false")},
    };
    ScriptTestEnvironment::setSetting("UseCommaDelimiter", true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(runMailScriptReplacing(kScript, c.target, c.replacement), c.expected);
    }
    // No commas, no clipboard, no sound, no reverse-order switch.
    EXPECT_EQ(ScriptTestEnvironment::clipboardText(), QStringLiteral("before"));
    EXPECT_TRUE(env.sounds().isEmpty());
}

TEST_F(ScriptRunnerTest, CopyTextToClipboard)
{
    QString large;
    while (large.size() < (1 << 20) + 10)
        large += QString(65535, QLatin1Char('a')) + QStringLiteral("😀") + QChar(0xDC00);
    struct Case {
        const char* name;
        std::optional<QString> text;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {"text", QStringLiteral("Ünïcode 😀\r\nline"), QStringLiteral("Ünïcode 😀\r\nline")},
        {"empty text is one empty item", QString(), QString()},
        {"no text empties the clipboard", std::nullopt, std::nullopt},
        {"lone surrogate", QString(QChar(0xD800)) + QStringLiteral("x"), QStringLiteral("?x")},
        // Megabytes are converted a piece at a time: pairs across the pieces stay whole.
        {"large text", large, QString(large).replace(QChar(0xDC00), QLatin1Char('?'))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptTestEnvironment::setClipboardText(QStringLiteral("before"));
        EXPECT_EQ(quorvell::copyTextToClipboard(c.text), 0);
        // Compared as a whole, shown in part: the large text is a megabyte.
        EXPECT_TRUE(ScriptTestEnvironment::clipboardText() == c.expected)
            << ScriptTestEnvironment::clipboardText().value_or(QStringLiteral("(none)")).right(40).toStdString();
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
        const bool hasItem = mime && !mime->formats().isEmpty();
        EXPECT_EQ(hasItem, c.text.has_value());
        if (c.expected) {
            EXPECT_TRUE(mime->data(QStringLiteral("text/plain")) == c.expected->toUtf8());
        }
    }
}

}  // namespace

// Run in a process of its own, with no application object.
TEST(ClipboardWithoutApplication, FailsWithAStatusAndDoesNotCrash)
{
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    EXPECT_NE(quorvell::copyTextToClipboard(QStringLiteral("text")), 0);
    EXPECT_NE(quorvell::copyTextToClipboard(std::nullopt), 0);
}

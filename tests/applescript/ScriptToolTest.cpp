// quorvell-script as a user runs it: arguments, encodings, output and exit status.

#include "tests/support/ToolRun.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>

#include <gtest/gtest.h>

namespace {

ToolRun runScriptTool(const QStringList& args)
{
    return runTool(QStringLiteral(QUORVELL_SCRIPT_TOOL), args);
}

TEST(ScriptToolTest, ReadsFilesAsMacRomanUnlessUtf8)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString script = QString::fromUtf8("set s to \"Café ≠ π\" & ¬\n\" ok\"\ns");
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    const QString roman = write(QStringLiteral("roman.applescript"), QTextCodec::codecForName("Apple Roman")->fromUnicode(script));
    const QString plain = write(QStringLiteral("plain.applescript"), script.toUtf8());
    const QString expected = QString::fromUtf8("Café ≠ π ok\n");
    EXPECT_EQ(runScriptTool({roman}).out, expected);
    EXPECT_EQ(runScriptTool({QStringLiteral("--utf8"), plain}).out, expected);
    // UTF-8 without a mark or the option is read as Mac OS Roman, so the text differs.
    EXPECT_NE(runScriptTool({plain}).out, expected);
}

TEST(ScriptToolTest, PrintsResultsAndErrorsAsAPersonReadsThem)
{
    struct Case {
        QStringList expressions;  // each after its own -e: one line of the script
        const char* out;          // standard output; for a failure, standard error
        bool fails = false;
    };
    const Case cases[] = {
        {{"set x to 20", "x + 1"}, "21\n"},
        {{"{\"a\", 2, {3, \"d\"}}"}, "a, 2, 3, d\n"},
        {{"{name:\"x\", age:3}"}, "name:x, age:3\n"},
        {{"{}"}, "\n"},
        {{"missing value"}, ""},
        // The tests' environment has an offscreen platform, so the clipboard is real.
        {{"set the clipboard to \"from a script\"", "the clipboard"}, "from a script\n"},
        {{"set x to 1", "item 4 of {x}"}, "2:1: execution error: Can’t get item 4 of {1}. (-1728)\n", true},
        {{"if true then"}, "1:13: syntax error: Expected \"end\" (to close \"if\" at line 1) but found end of script. (-2741)\n", true},
    };
    for (const Case& c : cases) {
        QStringList arguments;
        for (const QString& expression : c.expressions)
            arguments << QStringLiteral("-e") << expression;
        const ToolRun r = runScriptTool(arguments);
        EXPECT_EQ(r.status, c.fails ? 1 : 0) << c.out << r.err.toStdString();
        EXPECT_EQ((c.fails ? r.err : r.out).toStdString(), c.out) << c.expressions.join(u'|').toStdString();
        EXPECT_TRUE(!c.fails || r.out.isEmpty());
    }
}

TEST(ScriptToolTest, RejectsBadArguments)
{
    EXPECT_EQ(runScriptTool({}).status, 2);
    EXPECT_EQ(runScriptTool({QStringLiteral("-e")}).status, 2);
    EXPECT_EQ(runScriptTool({QStringLiteral("/nonexistent/file.applescript")}).status, 1);
}

}  // namespace

// quorvell-defaults as people use it: typed writes, readable reads, and bad
// input refused with a message and a non-zero status, leaving the store as it was.

#include "platform/preferences/PropertyList.h"
#include "tests/preferences/StoreFixture.h"

#include <QFileInfo>

#include <vector>

using namespace platform::preferences;

namespace {

using DefaultsToolTest = StoreFixture;

TEST_F(DefaultsToolTest, WritesEveryTypeAndReadsItBack)
{
    struct Write {
        QStringList value;  // the arguments after the key
        const char* type;   // read-type's word
        const char* shown;  // read's output
    };
    const Write writes[] = {
        {{"-bool", "TRUE"}, "boolean", "1"},
        {{"-bool", "yes"}, "boolean", "1"},
        {{"-bool", "1"}, "boolean", "1"},
        {{"-boolean", "No"}, "boolean", "0"},
        {{"-bool", "false"}, "boolean", "0"},
        {{"-bool", "0"}, "boolean", "0"},
        {{"-int", "-9223372036854775808"}, "integer", "-9223372036854775808"},
        {{"-integer", "0"}, "integer", "0"},
        {{"-float", "-0.25"}, "float", "-0.25"},
        {{"-string", "-bool"}, "string", "-bool"},
        {{"plain words"}, "string", "plain words"},
        {{"-date", "2026-12-06T08:10:23+01:00"}, "date", "2026-12-06 07:10:23 +0000"},
        {{"-data", "00FF"}, "data", "<00ff>"},
        {{"-array", "a", "b c"}, "array", "(\n    a,\n    \"b c\"\n)"},
        {{"-dict", "k", "v"}, "dictionary", "{\n    k = v;\n}"},
    };
    for (const Write& w : writes) {
        const std::string label = w.value.join(QLatin1Char(' ')).toStdString();
        const ToolRun written = defaults(QStringList{"write", m_domain, "key"} + w.value);
        ASSERT_EQ(written.status, 0) << label << ": " << written.err.toStdString();
        EXPECT_EQ(defaults({"read-type", m_domain, "key"}).out, QStringLiteral("Type is %1\n").arg(w.type)) << label;
        EXPECT_EQ(defaults({"read", m_domain, "key"}).out, QString::fromUtf8(w.shown) + QLatin1Char('\n')) << label;
    }
}

TEST_F(DefaultsToolTest, BadInputIsRefusedAndChangesNothing)
{
    ASSERT_EQ(defaults({"write", m_domain, "key", "-int", "7"}).status, 0);
    const QByteArray before = fileBytes();
    const QString& d = m_domain;
    std::vector<QStringList> refused = {
        {}, {"frobnicate", d}, {"read"}, {"read", d, "a", "b"}, {"read", d, "missing"},
        {"read", "com.example.Nothing"}, {"read", "../../etc/passwd"}, {"read-type", d}, {"write", d, "key"},
        {"delete", d, "missing"}, {"delete", "com.example.Nothing"},
    };
    // Values the key cannot take.
    for (const QStringList& value : std::initializer_list<QStringList>{
             {"-int", "12abc"}, {"-int", ""}, {"-int", "1.5"}, {"-int", "9223372036854775808"}, {"-bool", "maybe"},
             {"-bool", ""}, {"-float", "1,5"}, {"-date", "2026-12-06T08:10:23"}, {"-data", "abc"},
             {"-dict", "lonely"}, {"-bool", "yes", "no"}, {"-colour", "red"}, {"bell\x07"}})
        refused.push_back(QStringList{"write", d, "key"} + value);
    for (const QStringList& args : refused) {
        const ToolRun run = defaults(args);
        const std::string label = args.join(QLatin1Char(' ')).toStdString();
        EXPECT_GT(run.status, 0) << label;
        EXPECT_TRUE(run.out.isEmpty()) << label;
        EXPECT_FALSE(run.err.trimmed().isEmpty()) << label;
    }
    EXPECT_EQ(fileBytes(), before);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(file()).dir().filePath(QStringLiteral("com.example.Nothing.plist"))));
}

TEST_F(DefaultsToolTest, ReadsAWholeDomainAndDeletesIt)
{
    setAppValue(QStringLiteral("On"), QVariant(true), m_domain);
    setAppValue(QStringLiteral("Name"), QVariant(QStringLiteral("a \"quoted\" word")), m_domain);
    ASSERT_TRUE(appSynchronize(m_domain));
    EXPECT_EQ(defaults({QStringLiteral("read"), m_domain}).out,
              QStringLiteral("{\n    Name = \"a \\\"quoted\\\" word\";\n    On = 1;\n}\n"));

    ASSERT_EQ(defaults({QStringLiteral("delete"), m_domain}).status, 0);
    ASSERT_TRUE(appSynchronize(m_domain));
    EXPECT_TRUE(copyAppValues(m_domain).isEmpty());
}

TEST_F(DefaultsToolTest, ADamagedFileIsReportedAndKept)
{
    writeFile("<plist><dict><key>x</key>");
    const ToolRun read = defaults({QStringLiteral("read"), m_domain, QStringLiteral("x")});
    EXPECT_EQ(read.status, 1);
    EXPECT_TRUE(read.err.contains(QStringLiteral("damaged"))) << read.err.toStdString();

    ASSERT_EQ(defaults({"write", m_domain, "x", "-bool", "no"}).status, 0);
    EXPECT_TRUE(QFileInfo::exists(file() + QStringLiteral(".corrupt")));
    EXPECT_EQ(defaults({QStringLiteral("read"), m_domain, QStringLiteral("x")}).out, QStringLiteral("0\n"));
}

}  // namespace

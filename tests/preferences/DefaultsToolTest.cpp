// quorvell-defaults as people use it: typed writes, readable reads, and bad
// input refused with a message and a non-zero status, leaving the store as it was.

#include "platform/preferences/PropertyList.h"
#include "tests/preferences/StoreFixture.h"

#include <QFileInfo>

using namespace platform::preferences;

namespace {

using DefaultsToolTest = StoreFixture;

struct Write {
    QStringList valueArgs;
    const char* type;   // read-type's word
    const char* shown;  // read's output
};

TEST_F(DefaultsToolTest, WritesEveryTypeAndReadsItBack)
{
    const Write writes[] = {
        {{QStringLiteral("-bool"), QStringLiteral("TRUE")}, "boolean", "1"},
        {{QStringLiteral("-bool"), QStringLiteral("yes")}, "boolean", "1"},
        {{QStringLiteral("-bool"), QStringLiteral("1")}, "boolean", "1"},
        {{QStringLiteral("-boolean"), QStringLiteral("No")}, "boolean", "0"},
        {{QStringLiteral("-bool"), QStringLiteral("false")}, "boolean", "0"},
        {{QStringLiteral("-bool"), QStringLiteral("0")}, "boolean", "0"},
        {{QStringLiteral("-int"), QStringLiteral("-9223372036854775808")}, "integer", "-9223372036854775808"},
        {{QStringLiteral("-integer"), QStringLiteral("0")}, "integer", "0"},
        {{QStringLiteral("-float"), QStringLiteral("-0.25")}, "float", "-0.25"},
        {{QStringLiteral("-string"), QStringLiteral("-bool")}, "string", "-bool"},
        {{QStringLiteral("plain words")}, "string", "plain words"},
        {{QStringLiteral("-date"), QStringLiteral("2026-12-06T08:10:23+01:00")}, "date", "2026-12-06 07:10:23 +0000"},
        {{QStringLiteral("-data"), QStringLiteral("00FF")}, "data", "<00ff>"},
        {{QStringLiteral("-array"), QStringLiteral("a"), QStringLiteral("b c")}, "array", "(\n    a,\n    \"b c\"\n)"},
        {{QStringLiteral("-dict"), QStringLiteral("k"), QStringLiteral("v")}, "dictionary", "{\n    k = v;\n}"},
    };
    for (const Write& w : writes) {
        const QString label = w.valueArgs.join(QLatin1Char(' '));
        const ToolRun written =
            defaults(QStringList{QStringLiteral("write"), m_domain, QStringLiteral("key")} + w.valueArgs);
        ASSERT_EQ(written.status, 0) << label.toStdString() << ": " << written.err.toStdString();
        EXPECT_EQ(defaults({QStringLiteral("read-type"), m_domain, QStringLiteral("key")}).out,
                  QStringLiteral("Type is %1\n").arg(QLatin1String(w.type)))
            << label.toStdString();
        EXPECT_EQ(defaults({QStringLiteral("read"), m_domain, QStringLiteral("key")}).out,
                  QString::fromUtf8(w.shown) + QLatin1Char('\n'))
            << label.toStdString();
    }
}

TEST_F(DefaultsToolTest, BadInputIsRefusedAndChangesNothing)
{
    ASSERT_EQ(defaults({QStringLiteral("write"), m_domain, QStringLiteral("key"), QStringLiteral("-int"),
                        QStringLiteral("7")})
                  .status,
              0);
    const QByteArray before = fileBytes();
    const QStringList refused[] = {
        {},
        {QStringLiteral("frobnicate"), m_domain},
        {QStringLiteral("read")},
        {QStringLiteral("read"), m_domain, QStringLiteral("a"), QStringLiteral("b")},
        {QStringLiteral("read"), m_domain, QStringLiteral("missing")},
        {QStringLiteral("read"), QStringLiteral("com.example.Nothing")},
        {QStringLiteral("read"), QStringLiteral("../../etc/passwd")},
        {QStringLiteral("read-type"), m_domain},
        {QStringLiteral("write"), m_domain, QStringLiteral("key")},
        {QStringLiteral("write"), m_domain, QStringLiteral("key"), QStringLiteral("-int"), QStringLiteral("12abc")},
        {QStringLiteral("write"), m_domain, QStringLiteral("key"), QStringLiteral("-int"), QStringLiteral("")},
        {QStringLiteral("write"), m_domain, QStringLiteral("key"), QStringLiteral("-int"), QStringLiteral("1.5")},
        {QStringLiteral("write"), m_domain, QStringLiteral("key"), QStringLiteral("-int"),
         QStringLiteral("9223372036854775808")},
        {QStringLiteral("write"), m_domain, QStringLiteral("key"), QStringLiteral("-bool"), QStringLiteral("maybe")},
        {QStringLiteral("write"), m_domain, QStringLiteral("key"), QStringLiteral("-bool"), QStringLiteral("")},
        {QStringLiteral("write"), m_domain, QStringLiteral("key"), QStringLiteral("-float"), QStringLiteral("1,5")},
        {QStringLiteral("write"), m_domain, QStringLiteral("key"), QStringLiteral("-date"),
         QStringLiteral("2026-12-06T08:10:23")},
        {QStringLiteral("write"), m_domain, QStringLiteral("key"), QStringLiteral("-data"), QStringLiteral("abc")},
        {QStringLiteral("write"), m_domain, QStringLiteral("key"), QStringLiteral("-dict"), QStringLiteral("lonely")},
        {QStringLiteral("write"), m_domain, QStringLiteral("key"), QStringLiteral("-bool"), QStringLiteral("yes"),
         QStringLiteral("no")},
        {QStringLiteral("write"), m_domain, QStringLiteral("key"), QStringLiteral("-colour"), QStringLiteral("red")},
        {QStringLiteral("write"), m_domain, QStringLiteral("key"), QStringLiteral("bell\x07")},
        {QStringLiteral("delete"), m_domain, QStringLiteral("missing")},
        {QStringLiteral("delete"), QStringLiteral("com.example.Nothing")},
    };
    for (const QStringList& args : refused) {
        const ToolRun run = defaults(args);
        EXPECT_GT(run.status, 0) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(run.err.trimmed().isEmpty()) << args.join(QLatin1Char(' ')).toStdString();
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

    ASSERT_EQ(defaults({QStringLiteral("write"), m_domain, QStringLiteral("x"), QStringLiteral("-bool"),
                        QStringLiteral("no")})
                  .status,
              0);
    EXPECT_TRUE(QFileInfo::exists(file() + QStringLiteral(".corrupt")));
    EXPECT_EQ(defaults({QStringLiteral("read"), m_domain, QStringLiteral("x")}).out, QStringLiteral("0\n"));
}

}  // namespace

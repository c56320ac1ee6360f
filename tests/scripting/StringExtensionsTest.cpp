// The string helpers beside the runner.

#include "scripting/StringExtensions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quorvell;

namespace {

struct BetweenCase {
    const char* text;
    const char* first;
    const char* second;
    std::optional<QString> forward;  // extractBetweenPattern
    std::optional<QString> reverse;  // reverseExtractBetweenPattern
};

std::optional<QString> s(const char* text)
{
    return QString::fromUtf8(text);
}

TEST(StringExtensions, ExtractBetweenPatterns)
{
    const BetweenCase cases[] = {
        // Plain, and case-insensitive on both patterns.
        {"Subject: <b>Hello</b> there", "<B>", "</b>", s("Hello"), s("Hello")},
        // Forward: first occurrence of each; reverse: the opener nearest the closer.
        {"<a>one<a>two</a>three</a>", "<a>", "</a>", s("one<a>two"), s("two")},
        // The second pattern is looked for after the first only going forward.
        {"END start middle END", "start", "end", s(" middle "), std::nullopt},
        // An opener that overlaps the closer does not count backwards.
        {"xxAB", "xA", "AB", std::nullopt, std::nullopt},
        {"abc", "a", "b", s(""), s("")},
        {"no patterns", "[", "]", std::nullopt, std::nullopt},
        {"[only open", "[", "]", std::nullopt, std::nullopt},
        {"only close]", "[", "]", std::nullopt, std::nullopt},
        {"[Grüße]", "[", "]", s("Grüße"), s("Grüße")},
        {"<x>Wut ÄRGER", "<X>", "ärger", s("Wut "), s("Wut ")},
        // Empty patterns are never found.
        {"text", "", "t", std::nullopt, std::nullopt},
        {"text", "t", "", std::nullopt, std::nullopt},
        {"", "a", "b", std::nullopt, std::nullopt},
    };
    for (const BetweenCase& c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromUtf8(c.text);
        const QString first = QString::fromUtf8(c.first);
        const QString second = QString::fromUtf8(c.second);
        EXPECT_EQ(extractBetweenPattern(text, first, second), c.forward);
        EXPECT_EQ(reverseExtractBetweenPattern(text, first, second), c.reverse);
    }
}

TEST(StringExtensions, CleanForFilename)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Re: 2023/11/06 report", "Re- 2023-11-06 report"},
        {"//::", "----"},
        {"a\\b|c*d", "a\\b|c*d"},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(cleanForFilename(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

TEST(StringExtensions, FileSystemReferences)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString canonicalRoot = QDir(dir.path()).canonicalPath();
    const QString file = canonicalRoot + QStringLiteral("/Grüße 1.txt");
    QFile(file).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QDir(canonicalRoot).mkdir(QStringLiteral("x")));
    ASSERT_TRUE(QFile::link(file, canonicalRoot + QStringLiteral("/link")));

    struct Case {
        const char* name;
        QString path;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {"file", file, file},
        {"folder with trailing slash", canonicalRoot + QStringLiteral("/"), canonicalRoot},
        {"dot segments", canonicalRoot + QStringLiteral("/./x/../Grüße 1.txt"), file},
        {"symbolic link followed", canonicalRoot + QStringLiteral("/link"), file},
        {"missing", canonicalRoot + QStringLiteral("/missing"), std::nullopt},
        {"empty", QString(), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FSRef ref;
        EXPECT_EQ(getFSRef(c.path, &ref), c.expected.has_value());
        EXPECT_EQ(stringWithFSRef(&ref), c.expected);
    }

    // The reference outlives nothing: once the file is gone there is no path.
    FSRef ref;
    ASSERT_TRUE(getFSRef(file, &ref));
    ASSERT_TRUE(QFile::remove(file));
    EXPECT_EQ(stringWithFSRef(&ref), std::nullopt);

    EXPECT_EQ(stringWithFSRef(nullptr), std::nullopt);
    EXPECT_FALSE(getFSRef(canonicalRoot, nullptr));
    // A path that does not fit the 4096-byte buffer.
    FSRef tooLong{QByteArray("/") + QByteArray(4095, 'a')};
    EXPECT_EQ(stringWithFSRef(&tooLong), std::nullopt);
}

TEST(StringExtensions, RunScript)
{
    struct Case {
        const char* source;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {"return \"text\"", s("text")},
        {"return 6 * 7", s("42")},
        {"return {\"first\", \"second\"}", s("first")},
        {"return {}", std::nullopt},
        {"error \"boom\"", std::nullopt},
        {"this is not a script (", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(runScript(QString::fromUtf8(c.source)), c.expected) << c.source;
}

}  // namespace

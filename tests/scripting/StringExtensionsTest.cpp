// The string helpers beside the runner, as one table of calls and what they give.

#include "scripting/StringExtensions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace quorvell;

namespace {

std::optional<QString> between(const char* text, const char* first, const char* second)
{
    return extractBetweenPattern(QString::fromUtf8(text), QString::fromUtf8(first), QString::fromUtf8(second));
}

std::optional<QString> reverse(const char* text, const char* first, const char* second)
{
    return reverseExtractBetweenPattern(QString::fromUtf8(text), QString::fromUtf8(first),
                                        QString::fromUtf8(second));
}

// A path through a file-system reference and back.
std::optional<QString> viaReference(const QString& path)
{
    FSRef ref;
    return getFSRef(path, &ref) ? stringWithFSRef(&ref) : std::nullopt;
}

std::optional<QString> s(const char* text)
{
    return QString::fromUtf8(text);
}

TEST(StringExtensions, EachHelperOnOrdinaryAndAwkwardInput)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = QDir(dir.path()).canonicalPath();
    const QString file = root + QStringLiteral("/Grüße 1.txt");
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QDir(root).mkdir(QStringLiteral("x")));
    ASSERT_TRUE(QFile::link(file, root + QStringLiteral("/link")));
    const FSRef tooLong{QByteArray("/") + QByteArray(4095, 'a')};  // no room for the terminator

    const std::nullopt_t none = std::nullopt;
    const struct {
        const char* what;
        std::optional<QString> actual;
        std::optional<QString> expected;
    } cases[] = {
        {"case-insensitive on both patterns", between("Subject: <b>Hello</b> there", "<B>", "</b>"), s("Hello")},
        {"forward takes the first opener", between("<a>one<a>two</a>three</a>", "<a>", "</a>"), s("one<a>two")},
        {"reverse takes the opener nearest the closer", reverse("<a>one<a>two</a>three</a>", "<a>", "</a>"), s("two")},
        {"forward looks for the closer after the opener", between("END start middle END", "start", "end"),
         s(" middle ")},
        {"reverse looks for the opener before the first closer", reverse("END start middle END", "start", "end"),
         none},
        {"an opener overlapping the closer does not count", reverse("xxAB", "xA", "AB"), none},
        {"nothing between", between("abc", "a", "b"), s("")},
        {"no closer", between("[only open", "[", "]"), none},
        {"no opener", reverse("only close]", "[", "]"), none},
        {"case folding beyond ASCII", between("<x>Wut ÄRGER", "<X>", "ärger"), s("Wut ")},
        {"an empty pattern is never found", between("text", "", "t"), none},
        {"an empty pattern is never found, reverse", reverse("text", "t", ""), none},
        {"file name: only slashes and colons change", cleanForFilename(QStringLiteral("Re: 2023/11/06 a\\b|c*d")),
         s("Re- 2023-11-06 a\\b|c*d")},
        {"reference to a file", viaReference(file), file},
        {"dot segments and a trailing slash", viaReference(root + QStringLiteral("/./x/../")), root},
        {"a symbolic link is followed", viaReference(root + QStringLiteral("/link")), file},
        {"reference to nothing", viaReference(root + QStringLiteral("/missing")), none},
        {"reference to an empty path", viaReference(QString()), none},
        {"a path too long for the buffer", stringWithFSRef(&tooLong), none},
        {"no reference", stringWithFSRef(nullptr), none},
        {"script result as text", runScript(QStringLiteral("return 6 * 7")), s("42")},
        {"a list gives its first item", runScript(QStringLiteral("return {\"first\", \"second\"}")), s("first")},
        {"an empty list gives nothing", runScript(QStringLiteral("return {}")), none},
        {"a runtime error gives nothing", runScript(QStringLiteral("error \"boom\"")), none},
        {"a compile error gives nothing", runScript(QStringLiteral("this is not a script (")), none},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.what;

    // A reference names an object, not a path: once the file is gone there is none.
    FSRef ref;
    ASSERT_TRUE(getFSRef(file, &ref));
    ASSERT_TRUE(QFile::remove(file));
    EXPECT_EQ(stringWithFSRef(&ref), std::nullopt);
    EXPECT_FALSE(getFSRef(root, nullptr));
}

}  // namespace

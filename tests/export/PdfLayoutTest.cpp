// How a saved PDF is laid out: on the locale's paper, hard-wrapped lines kept
// whole, long words wrapped inside the page, every word of the text once, the page
// count a printed message would take, "N of M" on every page.

#include "platform/mail/save/PaperSize.h"
#include "platform/mail/save/PdfWriter.h"
#include "tests/export/PdfText.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using platform::mail::MessageDocument;

namespace {

struct PaperCase {
    const char* locale;
    QPageSize::PageSizeId paper;
};

TEST(PaperSize, FollowsTheLocalesTerritory)
{
    const PaperCase cases[] = {
        {"en_US.UTF-8", QPageSize::Letter}, {"fr_CA", QPageSize::Letter},   {"es_MX.utf8@x", QPageSize::Letter},
        {"en_PH", QPageSize::Letter},       {"en_GB.UTF-8", QPageSize::A4}, {"de_DE@euro", QPageSize::A4},
        {"C.UTF-8", QPageSize::A4},         {"POSIX", QPageSize::A4},       {"", QPageSize::A4},
        {"en_USA", QPageSize::A4},
    };
    for (const PaperCase& c : cases)
        EXPECT_EQ(platform::mail::paperSizeForLocale(QString::fromLatin1(c.locale)), c.paper) << c.locale;
}

// LC_ALL overrides LC_PAPER, which overrides LANG; an empty variable counts as unset.
TEST(PaperSize, ReadsTheEnvironmentInTheCLibrarysOrder)
{
    const QByteArray saved[] = {qgetenv("LC_ALL"), qgetenv("LC_PAPER"), qgetenv("LANG")};
    struct Case {
        const char* all;
        const char* paper;
        const char* lang;
        QPageSize::PageSizeId expected;
    };
    const Case cases[] = {
        {"", "", "en_US.UTF-8", QPageSize::Letter},
        {"", "de_DE.UTF-8", "en_US.UTF-8", QPageSize::A4},
        {"en_CA.UTF-8", "de_DE.UTF-8", "", QPageSize::Letter},
        {"", "", "", QPageSize::A4},
    };
    for (const Case& c : cases) {
        qputenv("LC_ALL", c.all);
        qputenv("LC_PAPER", c.paper);
        qputenv("LANG", c.lang);
        EXPECT_EQ(platform::mail::systemPaperSize(), c.expected) << c.all << '|' << c.paper << '|' << c.lang;
    }
    qputenv("LC_ALL", saved[0]);
    qputenv("LC_PAPER", saved[1]);
    qputenv("LANG", saved[2]);
}

struct Layout {
    QPageSize::PageSizeId paper;
    double widthPoints;
    int maxPages;  // for kLines lines of 78 columns: a printed message's count
};

constexpr int kLines = 440;

class PdfLayoutTest : public ::testing::TestWithParam<Layout> {};

// Numbered words spaced out to 78 columns, eleven a line; every sixth line nine
// words behind a tab. Then a URL and a run of base64 wider than any page.
QStringList bodyLines(int* wordCount)
{
    QStringList lines;
    int next = 0;
    for (int line = 0; line < kLines; ++line) {
        const bool indented = line % 6 == 5;
        QStringList words;
        for (int i = 0; i < (indented ? 9 : 11); ++i)
            words << QStringLiteral("w%1").arg(next++, 5, 10, QLatin1Char('0'));
        const QString text = words.mid(0, 5).join(QLatin1Char(' ')) + QStringLiteral("   ")
                             + words.mid(5).join(QLatin1Char(' '));
        lines << (indented ? QStringLiteral("\t") + text : text);
    }
    *wordCount = next;
    return lines;
}

const QString kUrl = QStringLiteral("https://example.com/track?id=") + QStringLiteral("0123456789abcdef").repeated(12);
const QString kBase64 = QStringLiteral("QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo").repeated(9);

TEST_P(PdfLayoutTest, KeepsLinesWrapsLongWordsInsideThePageAndNumbersPages)
{
    const Layout layout = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("m.pdf"));
    MessageDocument m;
    m.from = QStringLiteral("Ann <ann@example.com>");
    m.subject = QStringLiteral("Layout check");
    int wordCount = 0;
    const QStringList lines = bodyLines(&wordCount);
    m.body = lines.join(QLatin1Char('\n')) + QLatin1Char('\n') + kUrl + QLatin1Char('\n') + kBase64;
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(platform::mail::writeMessagePdf(m, &file, layout.paper), QString());
    }

    const QString text = quorvell::test::pdfText(path);
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    EXPECT_LE(pages.size(), layout.maxPages);
    EXPECT_GE(pages.size(), layout.maxPages - 1);
    for (int page = 0; page < pages.size(); ++page) {
        const QStringList pageLines = pages[page].split(QLatin1Char('\n'));
        EXPECT_TRUE(pageLines.contains(QStringLiteral("%1 of %2").arg(page + 1).arg(pages.size()))
                    && pageLines.contains(QStringLiteral("Layout check")))
            << "page " << page + 1 << ":\n" << pages[page].left(200).toStdString();
    }

    // Every word once; every line whole, its spacing kept, on one line of the page.
    QHash<QString, int> seen;
    for (const QString& word : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        if (word.startsWith(QLatin1Char('w')))
            ++seen[word];
    }
    EXPECT_EQ(seen.size(), wordCount);
    for (auto it = seen.cbegin(); it != seen.cend(); ++it)
        EXPECT_EQ(it.value(), 1) << it.key().toStdString();
    QStringList laidOut = quorvell::test::pdfText(path, {QStringLiteral("-layout")}).split(QLatin1Char('\n'));
    for (QString& line : laidOut)
        line = line.trimmed();
    for (const QString& line : lines)
        ASSERT_TRUE(laidOut.contains(line.trimmed())) << line.toStdString();
    QString joined = text;
    joined.remove(QRegularExpression(QStringLiteral("\\s")));
    EXPECT_EQ(joined.count(kUrl), 1);
    EXPECT_EQ(joined.count(kBase64), 1);

    // Nothing runs off the page: every word ends inside the right margin.
    const QString html = quorvell::test::pdfText(path, {QStringLiteral("-bbox")});
    const QRegularExpression width(QStringLiteral("<page width=\"([0-9.]+)\""));
    auto pageWidths = width.globalMatch(html);
    ASSERT_TRUE(pageWidths.hasNext());
    EXPECT_NEAR(pageWidths.next().captured(1).toDouble(), layout.widthPoints, 1.0);
    auto right = QRegularExpression(QStringLiteral("xMax=\"([0-9.]+)\"")).globalMatch(html);
    double widest = 0;
    while (right.hasNext())
        widest = std::max(widest, right.next().captured(1).toDouble());
    EXPECT_GT(widest, layout.widthPoints / 2);
    EXPECT_LE(widest, layout.widthPoints - 36);  // 15 mm is 42.5 points
}

INSTANTIATE_TEST_SUITE_P(Papers, PdfLayoutTest,
                         ::testing::Values(Layout{QPageSize::A4, 595, 6}, Layout{QPageSize::Letter, 612, 7}),
                         [](const auto& info) { return info.param.paper == QPageSize::A4 ? "A4" : "Letter"; });

}  // namespace

// How a saved PDF is laid out: on the locale's paper, hard-wrapped lines kept
// whole, long words wrapped inside the page, every word once, "N of M" on every page.

#include "platform/mail/save/PaperSize.h"
#include "platform/mail/save/PdfWriter.h"
#include "tests/export/PdfText.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::mail::MessageDocument;

namespace {

// The paper of the locale the C library would take: LC_ALL, LC_PAPER, LANG.
TEST(PaperSize, FollowsTheLocaleThatNamesThePaper)
{
    constexpr auto Letter = QPageSize::Letter, A4 = QPageSize::A4;
    const std::pair<QByteArrayList, QPageSize::PageSizeId> cases[] = {
        {{"", "", "en_US.UTF-8"}, Letter}, {{"", "fr_CA", "C"}, Letter}, {{"es_MX.utf8@x", "de_DE", ""}, Letter},
        {{"", "de_DE@euro", "en_US"}, A4}, {{"", "en_USA", ""}, A4}, {{"", "", ""}, A4}};
    const QByteArrayList variables{"LC_ALL", "LC_PAPER", "LANG"};
    const QByteArrayList saved{qgetenv("LC_ALL"), qgetenv("LC_PAPER"), qgetenv("LANG")};
    for (const auto& [values, paper] : cases) {
        for (int i = 0; i < 3; ++i)
            qputenv(variables[i], values[i]);
        EXPECT_EQ(platform::mail::systemPaperSize(), paper) << values.join('|').constData();
    }
    for (int i = 0; i < 3; ++i)
        qputenv(variables[i], saved[i]);
}

// 440 lines of 78 columns (numbered words, spaced out, some behind a tab), a URL and
// base64 wider than any page: 6 pages of A4, 7 of Letter, as a mail client prints.
struct Layout {
    QPageSize::PageSizeId paper;
    double widthPoints;
    int maxPages;
};

class PdfLayoutTest : public ::testing::TestWithParam<Layout> {};

TEST_P(PdfLayoutTest, KeepsLinesWrapsLongWordsInsideThePageAndNumbersPages)
{
    const Layout& layout = GetParam();
    QStringList lines;
    int words = 0;
    for (int line = 0; line < 440; ++line) {
        QStringList row;
        for (int i = 0; i < (line % 6 == 5 ? 9 : 11); ++i)
            row << QStringLiteral("w%1").arg(words++, 5, 10, QLatin1Char('0'));
        lines << QString(line % 6 == 5 ? QStringLiteral("\t") : QString()) + row.mid(0, 5).join(u' ')
                     + QStringLiteral("   ") + row.mid(5).join(u' ');
    }
    const QString url = QStringLiteral("https://example.com/t?id=") + QStringLiteral("0123456789abcdef").repeated(12);
    const QString base64 = QStringLiteral("QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo").repeated(9);
    MessageDocument m;
    m.subject = QStringLiteral("Layout check");
    m.body = lines.join(u'\n') + u'\n' + url + u'\n' + base64;
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("m.pdf")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(platform::mail::writeMessagePdf(m, &file, layout.paper), QString());
    file.close();

    const QString text = quorvell::test::pdfText(file.fileName());
    const QStringList pages = text.split(u'\f', Qt::SkipEmptyParts);
    EXPECT_EQ(pages.size(), layout.maxPages);
    for (int page = 0; page < pages.size(); ++page) {
        const QStringList pageLines = pages[page].split(u'\n');
        EXPECT_TRUE(pageLines.contains(QStringLiteral("%1 of %2").arg(page + 1).arg(pages.size()))
                    && pageLines.contains(m.subject)) << pages[page].left(200).toStdString();
    }
    // Every word once; every line whole, its spacing kept, on one line of a page.
    QStringList found = text.split(QRegularExpression(QStringLiteral("\\s+")));
    found = found.filter(QRegularExpression(QStringLiteral("^w\\d{5}$")));
    EXPECT_EQ(found.size(), words);
    EXPECT_EQ(found.removeDuplicates(), 0);
    const QString laidOut = quorvell::test::pdfText(file.fileName(), {QStringLiteral("-layout")});
    for (const QString& line : lines)
        ASSERT_TRUE(laidOut.contains(line.trimmed())) << line.toStdString();
    const QString joined = QString(text).remove(QRegularExpression(QStringLiteral("\\s")));
    EXPECT_EQ(joined.count(url) + joined.count(base64), 2);

    // Nothing runs off the page: every word ends inside the right margin.
    const QString boxes = quorvell::test::pdfText(file.fileName(), {QStringLiteral("-bbox")});
    EXPECT_TRUE(boxes.contains(QStringLiteral("<page width=\"%1.").arg(layout.widthPoints)));
    auto right = QRegularExpression(QStringLiteral("xMax=\"([0-9.]+)\"")).globalMatch(boxes);
    while (right.hasNext())
        EXPECT_LE(right.next().captured(1).toDouble(), layout.widthPoints - 36);  // margins of 15 mm, 42.5 points
}

INSTANTIATE_TEST_SUITE_P(Papers, PdfLayoutTest,
                         ::testing::Values(Layout{QPageSize::A4, 595, 6}, Layout{QPageSize::Letter, 612, 7}),
                         [](const auto& layout) { return layout.param.paper == QPageSize::A4 ? "A4" : "Letter"; });

}  // namespace

#include "platform/mail/save/PdfWriter.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>
#include <QThread>

#include <array>
#include <utility>

namespace platform::mail {

namespace {

constexpr int kResolution = 300;

// The text is set as a mail client prints it: monospaced, so that the sender's own
// line breaks, indentation and tables stay as they were written. At 9 pt a
// 78-column line is about 150 mm wide, well inside the text width of A4 (180 mm)
// and of Letter (186 mm); lines 10 pt apart give about 75 lines to an A4 page.
constexpr qreal kBodyPointSize = 9;
constexpr qreal kBodyLinePoints = 10;
constexpr int kTabColumns = 8;
constexpr qreal kHeaderPointSize = 10;   // the header block on the first page
constexpr qreal kRunningPointSize = 8;   // the subject and "N of M" above every page

// Page geometry in millimetres from the page's edges. The running header sits in
// the top margin, its rule just above the text.
constexpr qreal kSideMargin = 15;
constexpr qreal kTopMargin = 17;
constexpr qreal kBottomMargin = 12;
constexpr qreal kRunningBaseline = 10;
constexpr qreal kRunningRule = 12.5;

qreal fromMillimetres(qreal mm)
{
    return mm / 25.4 * kResolution;
}

qreal fromPoints(qreal pt)
{
    return pt / 72.0 * kResolution;
}

// Emoji come from Symbola, whose glyphs are outlines. The system's usual emoji
// fallback is a colour font of bitmaps, which Qt 5's PDF writer embeds without
// drawing anything. Other scripts (CJK) fall back through fontconfig.
QFont makeFont(const QString& family, qreal pointSize, QFont::StyleHint hint)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setFamilies({family, QStringLiteral("Symbola")});
    font.setStyleHint(hint);
    // Latin text is laid out without the font's ligatures: a "fi" drawn as one glyph
    // is copied out of the PDF as "ﬁ", which breaks addresses and searches. Scripts
    // that need shaping (Arabic, the Indic scripts) are still shaped.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

QFont bodyFont()
{
    return makeFont(QStringLiteral("DejaVu Sans Mono"), kBodyPointSize, QFont::Monospace);
}

QFont headerFont(qreal pointSize)
{
    return makeFont(QStringLiteral("DejaVu Sans"), pointSize, QFont::SansSerif);
}

QString withLineFeeds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The header block (bold labels), a rule, an empty line and the text, one block a
// line. Lines longer than the text width wrap at a blank, or anywhere when one
// word is wider than the page (a URL, a run of base64).
void buildDocument(QTextDocument& document, const MessageDocument& message, qreal tabDistance,
                   qreal bodyLineHeight)
{
    const std::array<std::pair<QString, const QString*>, 5> headers{{
        {QStringLiteral("From"), &message.from},
        {QStringLiteral("To"), &message.to},
        {QStringLiteral("Cc"), &message.cc},
        {QStringLiteral("Date"), &message.date},
        {QStringLiteral("Subject"), &message.subject},
    }};

    document.setDefaultFont(bodyFont());
    document.setDocumentMargin(0);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(tabDistance);
    document.setDefaultTextOption(option);

    QTextCharFormat value;
    value.setFont(headerFont(kHeaderPointSize), QTextCharFormat::FontPropertiesAll);
    QTextCharFormat label = value;
    label.setFontWeight(QFont::Bold);

    QTextCursor cursor(&document);
    bool first = true;
    for (const auto& [name, text] : headers) {
        if (text->isEmpty())
            continue;
        if (!first)
            cursor.insertBlock();
        first = false;
        cursor.insertText(name + QStringLiteral(": "), label);
        cursor.insertText(QString(*text).replace(QLatin1Char('\n'), QLatin1Char(' ')), value);
    }

    // A fixed height would be scaled by the screen's resolution; a proportion of the
    // face's own line height is not.
    QTextBlockFormat line;
    line.setLineHeight(100 * fromPoints(kBodyLinePoints) / bodyLineHeight, QTextBlockFormat::ProportionalHeight);
    QTextCharFormat text;
    text.setFont(bodyFont(), QTextCharFormat::FontPropertiesAll);
    if (first) {
        cursor.setBlockFormat(line);
        cursor.setBlockCharFormat(text);
    } else {
        QTextBlockFormat rule;
        rule.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth,
                         QTextLength(QTextLength::PercentageLength, 100));
        cursor.insertBlock(rule);
        cursor.insertBlock(line, text);
    }
    // insertText makes every "\n" a block of the current formats.
    cursor.insertText(withLineFeeds(message.body), text);
}

// The subject at the left, "N of M" at the right, a hairline below.
void drawRunningHeader(QPainter& painter, const QString& subject, int page, int pages, const QRectF& text)
{
    const QFont font = headerFont(kRunningPointSize);
    const QFontMetricsF metrics(font, painter.device());
    const QString number = QStringLiteral("%1 of %2").arg(page).arg(pages);
    const qreal numberWidth = metrics.horizontalAdvance(number);
    const qreal gap = metrics.horizontalAdvance(QStringLiteral("MM"));
    const QString title = metrics.elidedText(QString(subject).replace(QLatin1Char('\n'), QLatin1Char(' ')),
                                             Qt::ElideRight, text.width() - numberWidth - gap);
    const qreal baseline = fromMillimetres(kRunningBaseline);

    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(text.left(), baseline), title);
    painter.drawText(QPointF(text.right() - numberWidth, baseline), number);
    painter.setPen(QPen(Qt::darkGray, fromPoints(0.5)));
    const qreal rule = fromMillimetres(kRunningRule);
    painter.drawLine(QPointF(text.left(), rule), QPointF(text.right(), rule));
    painter.restore();
}

}  // namespace

QString writeMessagePdf(const MessageDocument& message, QIODevice* device, QPageSize::PageSizeId paper)
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app == nullptr)
        return QStringLiteral("saving as PDF needs a graphical session");
    if (QThread::currentThread() != app->thread())
        return QStringLiteral("saving as PDF must run on the main thread");

    QPdfWriter writer(device);
    writer.setResolution(kResolution);
    writer.setCreator(QStringLiteral("Quorvell"));
    writer.setTitle(message.subject);
    // No margins for the writer: the painter works in page coordinates.
    writer.setPageLayout(
        QPageLayout(QPageSize(paper), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));

    const QSizeF page = QPageSize(paper).sizePoints();
    const QRectF text(QPointF(fromMillimetres(kSideMargin), fromMillimetres(kTopMargin)),
                      QPointF(fromPoints(page.width()) - fromMillimetres(kSideMargin),
                              fromPoints(page.height()) - fromMillimetres(kBottomMargin)));

    QTextDocument document;
    // Measured on the writer itself, so that point sizes mean the same in the layout
    // as on paper.
    document.documentLayout()->setPaintDevice(&writer);
    const QFontMetricsF body(bodyFont(), &writer);
    buildDocument(document, message, body.horizontalAdvance(QLatin1Char(' ')) * kTabColumns, body.height());
    document.setPageSize(text.size());

    QPainter painter;
    if (!painter.begin(&writer))
        return QStringLiteral("cannot start the PDF");
    const int pages = document.pageCount();
    for (int index = 0; index < pages; ++index) {
        if (index > 0)
            writer.newPage();
        drawRunningHeader(painter, message.subject, index + 1, pages, text);
        // The document's page index as a slice of its one long layout. The slice is
        // drawn a hair inside its edges: a line that ends exactly on a page's edge
        // belongs to that page alone.
        const QRectF slice(0, index * text.height(), text.width(), text.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = slice.adjusted(0, 1, 0, -1);
        context.palette.setColor(QPalette::Text, Qt::black);
        painter.save();
        painter.translate(text.left(), text.top() - slice.top());
        painter.setClipRect(slice);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    if (!painter.end())
        return QStringLiteral("cannot finish the PDF");
    return {};
}

}  // namespace platform::mail

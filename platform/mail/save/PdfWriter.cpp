#include "platform/mail/save/PdfWriter.h"

#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QThread>

#include <array>
#include <utility>

namespace platform::mail {

namespace {

constexpr int kResolution = 300;
constexpr int kBodyPointSize = 11;

void buildDocument(QTextDocument& document, const MessageDocument& message)
{
    const std::array<std::pair<QString, const QString*>, 5> headers{{
        {QStringLiteral("From"), &message.from},
        {QStringLiteral("To"), &message.to},
        {QStringLiteral("Cc"), &message.cc},
        {QStringLiteral("Date"), &message.date},
        {QStringLiteral("Subject"), &message.subject},
    }};

    QFont font(QStringLiteral("DejaVu Sans"), kBodyPointSize);
    // Emoji come from Symbola, whose glyphs are outlines. The system's usual emoji
    // fallback is a colour font of bitmaps, which Qt 5's PDF writer embeds without
    // drawing anything.
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Symbola")});
    font.setStyleHint(QFont::SansSerif);
    // Latin text is laid out without the font's ligatures: a "fi" drawn as one glyph
    // is copied out of the PDF as "ﬁ", which breaks addresses and searches. Scripts
    // that need shaping (Arabic, the Indic scripts) are still shaped.
    font.setStyleStrategy(QFont::PreferNoShaping);
    document.setDefaultFont(font);
    document.setDocumentMargin(0);

    QTextCharFormat plain;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);

    QTextCursor cursor(&document);
    bool first = true;
    for (const auto& [label, value] : headers) {
        if (value->isEmpty())
            continue;
        if (!first)
            cursor.insertBlock();
        first = false;
        cursor.insertText(label + QStringLiteral(": "), bold);
        cursor.insertText(*value, plain);
    }
    QTextBlockFormat rule;
    rule.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth, QTextLength(QTextLength::PercentageLength, 100));
    if (!first)
        cursor.insertBlock(rule);
    cursor.insertBlock(QTextBlockFormat());
    // insertText turns "\n" into block separators; "\r\n" would leave a stray "\r".
    QString body = message.body;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    cursor.insertText(body, plain);
}

}  // namespace

QString writeMessagePdf(const MessageDocument& message, QIODevice* device)
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
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
                                     QPageLayout::Millimeter));

    QTextDocument document;
    buildDocument(document, message);
    document.print(&writer);
    return {};
}

}  // namespace platform::mail

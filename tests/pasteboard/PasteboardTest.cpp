// The pasteboard over the desktop clipboard, in-process on the offscreen platform.

#include "platform/pasteboard/Pasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

namespace pb = platform::pasteboard;

namespace {

const QString kClipboard = QString::fromLatin1(pb::kPasteboardClipboard);
const QString kText = QString::fromLatin1(pb::kUTTypeUTF8PlainText);
const QString kHtml = QString::fromLatin1(pb::kUTTypeHTML);

std::unique_ptr<pb::Pasteboard> openClipboard()
{
    std::unique_ptr<pb::Pasteboard> pasteboard;
    EXPECT_EQ(pb::Pasteboard::create(kClipboard, &pasteboard), pb::noErr);
    return pasteboard;
}

QString clipboardText()
{
    return QGuiApplication::clipboard()->text(QClipboard::Clipboard);
}

}  // namespace

// One item carries several flavours; its text goes out as UTF-8 under both plain
// text types.
TEST(Pasteboard, OneItemCarriesTextAsUtf8AndFurtherFlavours)
{
    const QString text = QStringLiteral("Grüße – Ünïcode 日本語 😀\r\nsecond line");
    auto pasteboard = openClipboard();
    ASSERT_EQ(pasteboard->clear(), pb::noErr);
    ASSERT_EQ(pasteboard->putItemFlavor(1, kText, text.toUtf8(), pb::kPasteboardFlavorNoFlags), pb::noErr);
    ASSERT_EQ(pasteboard->putItemFlavor(1, kHtml, "<b>rich</b>", 0), pb::noErr);

    const QMimeData* mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->data(QStringLiteral("text/plain;charset=utf-8")), text.toUtf8());
    EXPECT_EQ(mime->data(QStringLiteral("text/plain")), text.toUtf8());
    EXPECT_EQ(clipboardText(), text);

    std::size_t count = 0;
    ASSERT_EQ(pasteboard->getItemCount(&count), pb::noErr);
    EXPECT_EQ(count, 1u);
    QByteArray plain;
    QByteArray html;
    EXPECT_EQ(pasteboard->copyItemFlavorData(1, kText, &plain), pb::noErr);
    EXPECT_EQ(pasteboard->copyItemFlavorData(1, kHtml, &html), pb::noErr);
    EXPECT_EQ(plain, text.toUtf8());
    EXPECT_EQ(html, "<b>rich</b>");
}

// Refused calls return their status and leave the clipboard as it was, whose text
// another program put there reads as UTF-8.
TEST(Pasteboard, RefusedPutsLeaveTheClipboardAlone)
{
    const QString before = QStringLiteral("från någon annan");
    struct Case {
        const char* name;
        bool clearFirst;
        bool putItemOneFirst;
        pb::PasteboardItemID item;
        QString flavor;
        pb::OSStatus expected;
    };
    const Case cases[] = {
        {"put before clear", false, false, 1, kText, pb::notPasteboardOwnerErr},
        {"item identifier 0", true, false, 0, kText, pb::badPasteboardItemErr},
        {"second item", true, true, 2, kHtml, pb::badPasteboardItemErr},
        {"flavour twice", true, true, 1, kText, pb::duplicatePasteboardFlavorErr},
        {"unknown flavour", true, false, 1, QStringLiteral("com.example.private"), pb::badPasteboardFlavorErr},
        {"empty flavour", true, false, 1, QString(), pb::badPasteboardFlavorErr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QGuiApplication::clipboard()->setText(before);
        auto pasteboard = openClipboard();
        QByteArray data;
        ASSERT_EQ(pasteboard->copyItemFlavorData(1, kText, &data), pb::noErr);
        EXPECT_EQ(data, before.toUtf8());
        QString expectedText = before;
        if (c.clearFirst) {
            ASSERT_EQ(pasteboard->clear(), pb::noErr);
            expectedText.clear();
        }
        if (c.putItemOneFirst) {
            ASSERT_EQ(pasteboard->putItemFlavor(1, kText, "first", 0), pb::noErr);
            expectedText = QStringLiteral("first");
        }
        EXPECT_EQ(pasteboard->putItemFlavor(c.item, c.flavor, "refused", 0), c.expected);
        EXPECT_EQ(clipboardText(), expectedText);
    }
}

TEST(Pasteboard, OnlyTheGeneralClipboardOpens)
{
    std::unique_ptr<pb::Pasteboard> pasteboard;
    EXPECT_EQ(pb::Pasteboard::create(QStringLiteral("com.apple.pasteboard.find"), &pasteboard), pb::paramErr);
    EXPECT_EQ(pasteboard, nullptr);
    EXPECT_EQ(pb::Pasteboard::create(kClipboard, nullptr), pb::paramErr);
}

// Run in a process of its own, with no application object at all.
TEST(PasteboardWithoutApplication, CreateFailsWithoutCrashing)
{
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    std::unique_ptr<pb::Pasteboard> pasteboard;
    EXPECT_EQ(pb::Pasteboard::create(kClipboard, &pasteboard), pb::coreFoundationUnknownErr);
    EXPECT_EQ(pasteboard, nullptr);
}

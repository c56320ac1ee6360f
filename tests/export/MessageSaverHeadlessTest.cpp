// Without a QGuiApplication (a command-line caller, a headless test) PDF has no
// fonts: the save must refuse cleanly, while RTF needs nothing graphical.

#include "platform/mail/save/MessageSaver.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::mail::MessageDocument;
using platform::mail::SaveFormat;

TEST(HeadlessSave, PdfIsRefusedWithAClearErrorAndNoFile)
{
    QTemporaryDir dir;
    MessageDocument m;
    m.subject = QStringLiteral("x");
    const auto result = platform::mail::saveMessageDocument(m, dir.path(), SaveFormat::Pdf);
    EXPECT_EQ(result.error, QStringLiteral("saving as PDF needs a graphical session"));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(HeadlessSave, RtfWorks)
{
    QTemporaryDir dir;
    MessageDocument m;
    m.subject = QStringLiteral("x");
    const auto result = platform::mail::saveMessageDocument(m, dir.path(), SaveFormat::Rtf);
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.path, dir.filePath(QStringLiteral("x.rtf")));
}

// Without a QGuiApplication (a command-line caller, a headless test) PDF has no
// fonts: the save must refuse cleanly. (RTF needs nothing graphical: the mail
// dictionary test saves RTF without one.)

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

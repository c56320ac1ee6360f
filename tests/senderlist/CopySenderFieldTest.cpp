// copySenderField against the real preference store (in a temporary HOME) and the
// real clipboard of an offscreen QGuiApplication.

#include "addressbook/SenderList.h"

#include "ScriptTestEnvironment.h"

#include <gtest/gtest.h>

namespace {

TEST(CopySenderField, AnEmptyTextEmptiesTheClipboard)
{
    ScriptTestEnvironment environment;
    ScriptTestEnvironment::setClipboardText(QStringLiteral("what was there before"));
    EXPECT_TRUE(quorvell::copySenderField(QString(), quorvell::SenderFieldName));
    EXPECT_EQ(ScriptTestEnvironment::clipboardText(), QString());
}

TEST(CopySenderField, WithoutAStoredSettingCutsAtLineBreaks)
{
    ScriptTestEnvironment environment;
    EXPECT_TRUE(quorvell::copySenderField(QStringLiteral("A <a>,B <b>\nC <c>"), quorvell::SenderFieldAddress));
    EXPECT_EQ(ScriptTestEnvironment::clipboardText(), QStringLiteral("b\nc"));
}

}  // namespace

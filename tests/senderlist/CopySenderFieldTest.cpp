// copySenderField against the real preference store (in a temporary HOME) and the
// real clipboard of an offscreen QGuiApplication.

#include "addressbook/SenderList.h"

#include "ScriptTestEnvironment.h"

#include <gtest/gtest.h>

namespace {

struct CopyCase {
    bool commaSetting;
    const char* text;
    quorvell::SenderField field;
    const char* clipboard;
};

TEST(CopySenderField, DeliversTheFieldJoinedAsTheCommaSettingSays)
{
    const CopyCase cases[] = {
        {false, "Ann <a>\rBob Roe <b>", quorvell::SenderFieldAddress, "a\nb"},
        {false, "Ann <a>\r\nBob Roe <b>", quorvell::SenderFieldName, "Ann\nBob Roe"},
        // With the setting on, the runner has already turned breaks into commas.
        {true, "Lee, Ann <x>,Bob <b>", quorvell::SenderFieldAddress, "Lee,x,b"},
        {true, "Lee, Ann <x>,Bob <b>", quorvell::SenderFieldName, "Lee, Ann,Bob"},
        {true, "Ann <a>\nBob <b>", quorvell::SenderFieldAddress, "b"},
        {false, "Zoë <zoë@exämple.org>", quorvell::SenderFieldAddress, "zoë@exämple.org"},
    };
    for (const CopyCase& c : cases) {
        SCOPED_TRACE(c.text);
        ScriptTestEnvironment environment;
        ASSERT_TRUE(environment.isValid());
        ScriptTestEnvironment::setSetting("UseCommaDelimiter", c.commaSetting);
        EXPECT_TRUE(quorvell::copySenderField(QString::fromUtf8(c.text), c.field));
        EXPECT_EQ(ScriptTestEnvironment::clipboardText(), QString::fromUtf8(c.clipboard));
        EXPECT_EQ(environment.logLines(), QStringList{"Parsing sender data..."});
    }
}

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

// The engine's C++ surface: the result descriptor's text rules, the error record,
// file decoding and the application registry.

#include "platform/applescript/AppleScript.h"
#include "platform/applescript/Dictionary.h"
#include "platform/applescript/Engine.h"
#include "platform/applescript/Operations.h"

#include <QLocale>
#include <QTextCodec>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace platform::applescript;

struct TextCase {
    const char* source;
    std::optional<const char*> text;  // nullopt: a result without text
};

class StringValueTest : public ::testing::TestWithParam<TextCase> {
};

TEST_P(StringValueTest, FollowsTheResultKind)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ErrorInfo error;
    const auto result = AppleScript(QString::fromUtf8(GetParam().source)).executeAndReturnError(&error);
    ASSERT_TRUE(result.has_value()) << error.message.toStdString();
    if (GetParam().text) {
        ASSERT_TRUE(result->stringValue().has_value());
        EXPECT_EQ(result->stringValue()->toStdString(), *GetParam().text);
    } else {
        EXPECT_FALSE(result->stringValue().has_value()) << result->stringValue()->toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Results, StringValueTest,
                         ::testing::Values(TextCase{"\"abc\"", "abc"}, TextCase{"\"\"", ""}, TextCase{"42", "42"},
                                           TextCase{"-7", "-7"}, TextCase{"2.5", "2.5"}, TextCase{"1 / 4", "0.25"},
                                           TextCase{"true", "true"}, TextCase{"1 > 2", "false"},
                                           TextCase{"date \"2026-12-06T07:15:56\"",
                                                    "Sunday, December 6, 2026 at 7:15:56 AM"},
                                           TextCase{"{\"a\"}", std::nullopt}, TextCase{"{}", std::nullopt},
                                           TextCase{"{a:1}", std::nullopt}, TextCase{"missing value", std::nullopt},
                                           TextCase{"set x to 1", "1"}, TextCase{"-- nothing but a comment", std::nullopt}));

TEST(AppleScriptTest, FailureFillsErrorAndGivesNoResult)
{
    struct Case {
        const char* source;
        bool compile;
        int number;
        int line, column;
    };
    const Case cases[] = {
        {"set x to", true, -2741, 1, 9},
        {"\n\nitem 3 of {1}", false, -1728, 3, 1},
        {"error \"stop\" number 9", false, 9, 1, 1},
        {"tell application \"Not Registered\" to get name", false, -600, 1, 6},
        {"set L to {1, 2}\nset item 5 of L to (1 + 2)", false, -10006, 2, 5},  // the target, not the value
    };
    for (const Case& c : cases) {
        ErrorInfo error;
        EXPECT_FALSE(AppleScript(QString::fromUtf8(c.source)).executeAndReturnError(&error).has_value()) << c.source;
        EXPECT_EQ(error.compileError, c.compile) << c.source;
        EXPECT_EQ(error.number, c.number) << c.source;
        EXPECT_EQ(error.line, c.line) << c.source;
        EXPECT_EQ(error.column, c.column) << c.source;
        EXPECT_FALSE(error.message.isEmpty()) << c.source;
        // Without an error record the call still answers.
        EXPECT_FALSE(AppleScript(QString::fromUtf8(c.source)).executeAndReturnError().has_value());
    }
}

TEST(AppleScriptTest, CompilesAfreshAtEveryRun)
{
    // A property starts from its initial value at every run: nothing is kept.
    const AppleScript script(QStringLiteral("property n : 0\nset n to n + 1\nn"));
    EXPECT_EQ(script.executeAndReturnError()->stringValue(), QStringLiteral("1"));
    EXPECT_EQ(script.executeAndReturnError()->stringValue(), QStringLiteral("1"));
}

TEST(DecodeTest, MacRomanUnlessUtf8)
{
    // 0x8E é, 0xAD ≠, 0xC2 ¬, 0xD2/0xD3 curly quotes, 0xB9 π in Mac OS Roman.
    const QByteArray roman("\x8E \xAD \xC2 \xD2\xD3 \xB9");
    EXPECT_EQ(decodeScriptFile(roman), QString::fromUtf8("é ≠ ¬ “” π"));
    const QByteArray utf8 = QString::fromUtf8("é ≠").toUtf8();
    EXPECT_EQ(decodeScriptFile(QByteArray("\xEF\xBB\xBF") + utf8), QString::fromUtf8("é ≠"));
    EXPECT_EQ(decodeScriptFile(utf8, true), QString::fromUtf8("é ≠"));
    // Without a mark, UTF-8 bytes read as Mac OS Roman, as the platform would.
    EXPECT_NE(decodeScriptFile(utf8), QString::fromUtf8("é ≠"));
    // Every one of the 128 high bytes decodes to one character, none lost.
    QByteArray all;
    for (int b = 0x80; b <= 0xFF; ++b)
        all += static_cast<char>(b);
    const QString decoded = decodeScriptFile(all);
    EXPECT_EQ(decoded.size(), 128);
    EXPECT_FALSE(decoded.contains(QChar::ReplacementCharacter));
}

// An application with one property, its tag; tagged "throw", it fails as a broken
// decoder does.
class Probe : public Application {
public:
    explicit Probe(QString tag) : m_tag(std::move(tag)) { m_terms.properties = {QStringLiteral("tag")}; }
    const Terminology& terminology() const override { return m_terms; }
    Reply property(const QString& name) const override
    {
        if (m_tag == u"throw")
            throw std::runtime_error("decoder failed");
        return name == u"tag" ? Reply(Value(m_tag)) : Object::property(name);
    }

private:
    QString m_tag;
    Terminology m_terms;
};

// Blocks nested as deep as real scripts go run; far past the bound they are a
// compile error, not a stack overflow.
TEST(BoundsTest, DeepBlocksAreACompileError)
{
    for (const auto& [open, close] : {std::pair{"if true then\n", "end if\n"}, std::pair{"repeat 1 times\n", "end repeat\n"},
                                      std::pair{"try\n", "end try\n"}}) {
        const auto nested = [&](int depth) {
            return runScript(QStringLiteral("set n to 0\n") + (QString::fromLatin1(open) + QStringLiteral("set n to n + 1\n")).repeated(depth)
                             + QString::fromLatin1(close).repeated(depth) + QStringLiteral("n\n"));
        };
        const Outcome within = nested(30);
        ASSERT_TRUE(within.value) << open << within.error.message.toStdString();
        EXPECT_EQ(stringValue(*within.value), QStringLiteral("30")) << open;
        const Outcome outcome = nested(400);
        ASSERT_FALSE(outcome.value) << open;
        EXPECT_EQ(outcome.error.number, -2740) << open;
        EXPECT_TRUE(outcome.error.compileError) << open;
    }
}

TEST(RegistryTest, ReplacesRemovesAndIgnoresCaseAndAThrowFailsTheRunOnly)
{
    const QString script = QStringLiteral("tell application \"probe app\" to get tag");
    registerApplication(QStringLiteral("Probe App"), std::make_shared<Probe>(QStringLiteral("first")));
    EXPECT_EQ(AppleScript(script).executeAndReturnError()->stringValue(), QStringLiteral("first"));
    registerApplication(QStringLiteral("PROBE APP"), std::make_shared<Probe>(QStringLiteral("second")));
    EXPECT_EQ(AppleScript(script).executeAndReturnError()->stringValue(), QStringLiteral("second"));
    registerApplication(QStringLiteral("Probe App"), std::make_shared<Probe>(QStringLiteral("throw")));
    ErrorInfo error;
    EXPECT_FALSE(AppleScript(script).executeAndReturnError(&error));
    EXPECT_EQ(error.number, -2700);
    EXPECT_EQ(error.message, QStringLiteral("decoder failed"));
    registerApplication(QStringLiteral("Probe App"), nullptr);
    EXPECT_EQ(findApplication(QStringLiteral("Probe App")), nullptr);
    EXPECT_FALSE(AppleScript(script).executeAndReturnError(&error));
    EXPECT_EQ(error.number, -600);
}

TEST(ValueTest, DeepCopySharesNothingMutable)
{
    Value inner = Value::list({Value(1)});
    Value outer = Value::list({inner, Value::record(Record{{{QStringLiteral("k"), inner}}})});
    Value copy = outer.deepCopy();
    inner.listPointer()->set(0, Value(2));
    EXPECT_EQ(copy.items().at(0).items().at(0).integer(), 1);
    EXPECT_EQ(copy.items().at(1).recordPointer()->find(QStringLiteral("k"))->items().at(0).integer(), 1);
    EXPECT_EQ(outer.items().at(0).items().at(0).integer(), 2);
}

}  // namespace

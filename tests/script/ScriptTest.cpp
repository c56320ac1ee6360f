// Runs every tests/script/<feature>/<behaviour>.applescript as its own test case.
//
// Expectations sit in the script's comments:
//   -- expect: TEXT                     the result's text (\r \n \t \\ escapes)
//   -- expect none                      a result without text (list, record, missing value)
//   -- expect error N [at L:C] [TEXT]   a compile or run-time error with that number,
//                                       optionally its position and message
//   -- limits: steps=N ms=N             tighter engine bounds for this script
// A file is decoded as UTF-8 when it is valid UTF-8, else as Mac OS Roman, which is
// how the resources are stored. Application "Mail" answers over a Maildir of two
// selected messages: "Hello" from Ann to Ann and Bob, then one without subject or recipients.

#include "../mail/MailTestSupport.h"

#include "platform/applescript/Engine.h"
#include "platform/applescript/Operations.h"
#include "platform/mail/MailApplication.h"
#include "platform/mail/MailState.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTextCodec>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace platform::applescript;

std::vector<std::string> collectScripts()
{
    std::vector<std::string> files;
    QDirIterator it(QStringLiteral(QUORVELL_SCRIPT_TEST_DIR), {QStringLiteral("*.applescript")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files.push_back(QDir(QStringLiteral(QUORVELL_SCRIPT_TEST_DIR)).relativeFilePath(it.next()).toStdString());
    std::sort(files.begin(), files.end());
    return files;
}

QString decode(const QByteArray& bytes)
{
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    return decodeScriptFile(bytes, state.invalidChars == 0);
}

QString unescape(const QString& s)
{
    QString out;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == u'\\' && i + 1 < s.size()) {
            const QChar c = s[++i];
            out += c == u'r' ? QChar(u'\r') : c == u'n' ? QChar(u'\n') : c == u't' ? QChar(u'\t') : c;
        } else {
            out += s[i];
        }
    }
    return out;
}

struct Expectation {
    enum { Missing, Text, None, Error } kind = Missing;
    QString text;
    int number = 0;
    int line = 0, column = 0;
};

Expectation expectationOf(const QString& source, Limits* limits)
{
    Expectation e;
    static const QRegularExpression text(QStringLiteral("--\\s*expect:\\s?([^\\r\\n]*)"),
                                         QRegularExpression::MultilineOption);
    static const QRegularExpression none(QStringLiteral("--\\s*expect none[ \\t]*[\\r\\n]"), QRegularExpression::MultilineOption);
    static const QRegularExpression error(
        QStringLiteral("--\\s*expect error (-?\\d+)(?: at (\\d+):(\\d+))?(?: ([^\\r\\n]*))?"),
        QRegularExpression::MultilineOption);
    static const QRegularExpression limit(QStringLiteral("--\\s*limits:([^\\r\\n]*)"), QRegularExpression::MultilineOption);
    if (const auto m = error.match(source); m.hasMatch()) {
        e.kind = Expectation::Error;
        e.number = m.captured(1).toInt();
        e.line = m.captured(2).toInt();
        e.column = m.captured(3).toInt();
        e.text = m.captured(4).trimmed();
    } else if (const auto n = none.match(source); n.hasMatch()) {
        e.kind = Expectation::None;
    } else if (const auto t = text.match(source); t.hasMatch()) {
        QString captured = t.captured(1);
        while (captured.endsWith(u'\r'))
            captured.chop(1);
        e.kind = Expectation::Text;
        e.text = unescape(captured);
    }
    if (const auto m = limit.match(source); m.hasMatch()) {
        for (const QString& part : m.captured(1).split(u' ', Qt::SkipEmptyParts)) {
            const QStringList kv = part.split(u'=');
            if (kv.size() != 2)
                continue;
            const qint64 v = kv[1].toLongLong();
            if (kv[0] == u"steps") limits->maxSteps = v;
            if (kv[0] == u"ms") limits->maxMilliseconds = v;
        }
    }
    return e;
}

class ScriptTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        platform::mail::registerMailApplication();
        m_mail.addMessage({}, QStringLiteral("1.M1.x:2,S"),
                          "From: Ann Example <ann@example.org>\nReply-To: Ann Example <ann@example.org>\n"
                          "To: Ann Example <ann@example.org>, Bob <bob@example.org>\nSubject: Hello\n"
                          "Date: Sun, 06 Dec 2026 07:15:56 +0000\n\nBody\n");
        m_mail.addMessage({}, QStringLiteral("2.M2.x:2,"), "From: carl@example.org\n\nx\n");
        ASSERT_TRUE(platform::mail::MailState().writeSelection({QStringLiteral("1.M1.x"), QStringLiteral("2.M2.x")}));
    }
    mailtest::MailEnvironment m_mail;
};

TEST_P(ScriptTest, Runs)
{
    QFile file(QDir(QStringLiteral(QUORVELL_SCRIPT_TEST_DIR)).filePath(QString::fromStdString(GetParam())));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString source = decode(file.readAll());
    Limits limits;
    const Expectation expected = expectationOf(source, &limits);
    ASSERT_NE(expected.kind, Expectation::Missing) << "no expectation in " << GetParam();

    const Outcome outcome = runScript(source, limits);
    const QString where = QStringLiteral("%1:%2").arg(outcome.error.line).arg(outcome.error.column);
    switch (expected.kind) {
    case Expectation::Missing:
    case Expectation::Error:
        ASSERT_FALSE(outcome.value) << "expected error " << expected.number << ", got "
                                    << stringValue(*outcome.value).value_or(QStringLiteral("<no text>")).toStdString();
        EXPECT_EQ(outcome.error.number, expected.number) << outcome.error.message.toStdString() << " at "
                                                         << where.toStdString();
        if (expected.line > 0) {
            EXPECT_EQ(outcome.error.line, expected.line) << outcome.error.message.toStdString();
            EXPECT_EQ(outcome.error.column, expected.column) << outcome.error.message.toStdString();
        }
        if (!expected.text.isEmpty()) {
            EXPECT_EQ(outcome.error.message.toStdString(), expected.text.toStdString());
        }
        break;
    case Expectation::None:
        ASSERT_TRUE(outcome.value) << outcome.error.message.toStdString() << " at " << where.toStdString();
        EXPECT_FALSE(stringValue(*outcome.value).has_value()) << stringValue(*outcome.value)->toStdString();
        break;
    case Expectation::Text: {
        ASSERT_TRUE(outcome.value) << outcome.error.message.toStdString() << " (" << outcome.error.number << ") at "
                                   << where.toStdString();
        const auto text = stringValue(*outcome.value);
        ASSERT_TRUE(text.has_value()) << "result has no text: " << displayForm(*outcome.value).toStdString();
        EXPECT_EQ(text->toStdString(), expected.text.toStdString());
        break;
    }
    }
}

std::string caseName(const ::testing::TestParamInfo<std::string>& info)
{
    std::string name = info.param.substr(0, info.param.rfind('.'));
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptTest, ::testing::ValuesIn(collectScripts()), caseName);

}  // namespace

// Saving messages as files: names, never overwriting, what the files hold.
// Runs under a QGuiApplication (see GuiTestMain.cpp): PDF needs fonts.

#include "platform/mail/save/FileNaming.h"
#include "platform/mail/save/MessageSaver.h"
#include "platform/mail/save/RtfWriter.h"
#include "tests/export/PdfText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::mail::MessageDocument;
using platform::mail::SaveFormat;
using platform::mail::saveMessageDocument;

namespace {

QString u(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

MessageDocument multilingualMessage()
{
    MessageDocument m;
    m.from = u("Ирина Петрова <irina@example.ru>");
    m.to = u("Νίκος <nikos@example.gr>, 王小明 <wang@example.cn>");
    m.cc = u("kestrin@example.com");
    m.date = u("Sunday, 6 December 2026 07:10:23");
    m.subject = u("Отчёт: 会议 {draft} \\ 2/3");
    m.body = u("Добрый день!\r\nΚαλημέρα σας.\n会议在星期一举行。\rBraces {x} and \\back\\slash\ttab 😀 end");
    return m;
}

}  // namespace

// ---- file names -----------------------------------------------------------------

struct NameCase {
    const char* subject;
    const char* stem;
};

class FileNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(FileNameTest, SubjectBecomesStem)
{
    const QString stem = platform::mail::cleanForFilename(u(GetParam().subject));
    EXPECT_EQ(stem, u(GetParam().stem));
    EXPECT_LE(stem.toUtf8().size(), platform::mail::kMaxStemBytes);
    EXPECT_FALSE(stem.startsWith(QLatin1Char('.')));
    EXPECT_EQ(QString::fromUtf8(stem.toUtf8()), stem) << "not valid UTF-16";
}

INSTANTIATE_TEST_SUITE_P(
    Subjects, FileNameTest,
    ::testing::Values(NameCase{"Hello", "Hello"}, NameCase{"Re: a/b:c", "Re- a-b-c"},
                      NameCase{"", "No Subject"}, NameCase{"   \t ", "No Subject"},
                      NameCase{"folded\r\n subject\tline", "folded subject line"},
                      NameCase{"bell\x07 null\x01 del\x7f", "bell null del"},
                      NameCase{"\xc2\x85next\xc2\x9f line", "next line"},
                      NameCase{".hidden", "hidden"}, NameCase{"...", "No Subject"},
                      NameCase{"../../etc/passwd", "-..-etc-passwd"},
                      NameCase{"  spaced   out  ", "spaced out"},
                      NameCase{"Grüße — 会议", "Grüße — 会议"},
                      NameCase{"Lunch on Tuesday?", "Lunch on Tuesday-"},
                      NameCase{"a*b<c>d|e\"f\\g", "a-b-c-d-e-f-g"},
                      NameCase{"Minutes... ", "Minutes"}, NameCase{"v1.2 . .", "v1.2"}));

TEST(FileNameBound, CutsOnACharacterBoundary)
{
    struct Case {
        QString unit;
        int expectedCount;  // units that fit into 200 bytes
    };
    const Case cases[] = {
        {QStringLiteral("a"), 200},
        {u("é"), 100},       // 2 bytes
        {u("€"), 66},        // 3 bytes: 198, the 67th would pass 200
        {u("😀"), 50},       // 4 bytes, a surrogate pair in UTF-16
    };
    for (const Case& c : cases) {
        const QString stem = platform::mail::cleanForFilename(c.unit.repeated(300));
        EXPECT_EQ(stem, c.unit.repeated(c.expectedCount)) << c.unit.toStdString();
    }
}

TEST(FileNameBound, DropsBrokenSurrogates)
{
    const QString subject = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b") + QChar(0xDC00);
    EXPECT_EQ(platform::mail::cleanForFilename(subject), QStringLiteral("ab"));
}

// ---- saving ---------------------------------------------------------------------

class SaveTest : public ::testing::TestWithParam<SaveFormat> {
protected:
    QTemporaryDir dir;
    QString ext() const { return GetParam() == SaveFormat::Pdf ? QStringLiteral("pdf") : QStringLiteral("rtf"); }
};

// Never overwrites, leaves no temporary file, and a saved document is an ordinary
// file of the user's: the umask decides its mode, not the private mode of a
// temporary file.
TEST_P(SaveTest, NeverOverwritesLeavesNoTemporaryFilesAndFollowsTheUmask)
{
    ASSERT_TRUE(dir.isValid());
    QFile existing(dir.filePath(QStringLiteral("Same.") + ext()));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("keep me");
    existing.close();

    MessageDocument m;
    m.subject = QStringLiteral("Same");
    m.body = QStringLiteral("body");
    const mode_t previous = ::umask(022);
    const auto first = saveMessageDocument(m, dir.path(), GetParam());
    const auto second = saveMessageDocument(m, dir.path(), GetParam());
    ::umask(previous);
    ASSERT_TRUE(first.ok()) << first.error.toStdString();
    ASSERT_TRUE(second.ok()) << second.error.toStdString();
    EXPECT_EQ(first.path, dir.filePath(QStringLiteral("Same 2.") + ext()));
    EXPECT_EQ(second.path, dir.filePath(QStringLiteral("Same 3.") + ext()));
    EXPECT_EQ(readAll(existing.fileName()), QByteArray("keep me"));
    EXPECT_EQ(entries(dir.path()),
              (QStringList{QStringLiteral("Same 2.") + ext(), QStringLiteral("Same 3.") + ext(),
                           QStringLiteral("Same.") + ext()}));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(first.path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

// A folder that is not there, or one that cannot be written (unless root, who
// writes anywhere), is an error and leaves nothing behind.
TEST_P(SaveTest, MissingOrUnwritableFolderIsAnErrorAndLeavesNothing)
{
    const QString locked = dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkdir(locked));
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0500), 0);
    MessageDocument m;
    m.subject = QStringLiteral("x");
    for (const QString& folder : {dir.filePath(QStringLiteral("absent")), QString(), locked}) {
        if (folder == locked && ::geteuid() == 0)
            continue;
        const auto result = saveMessageDocument(m, folder, GetParam());
        EXPECT_FALSE(result.ok()) << folder.toStdString();
        EXPECT_TRUE(result.path.isEmpty());
    }
    ::chmod(QFile::encodeName(locked).constData(), 0700);
    EXPECT_TRUE(entries(dir.path()).isEmpty());
    EXPECT_TRUE(entries(locked).isEmpty());
}

// A write that fails halfway (here the file size limit, as a full disk would) leaves
// neither a partial file nor the temporary one. Works as root too.
TEST_P(SaveTest, FailedWriteLeavesNothing)
{
    MessageDocument m;
    m.subject = QStringLiteral("big");
    m.body = QStringLiteral("0123456789 ").repeated(20000);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto result = saveMessageDocument(m, dir.path(), GetParam());
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(entries(dir.path()).isEmpty()) << entries(dir.path()).join(QLatin1Char(',')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Formats, SaveTest, ::testing::Values(SaveFormat::Pdf, SaveFormat::Rtf),
                         [](const auto& format) { return format.param == SaveFormat::Pdf ? "Pdf" : "Rtf"; });

// ---- what the files hold ----------------------------------------------------------

// The whole document, byte for byte: 7-bit, labels bold, empty headers left out,
// the subject as the title, any kind of line break a paragraph.
TEST(RtfContent, DocumentHoldsHeadersTitleAndText)
{
    MessageDocument m;
    m.from = QStringLiteral("Ann <ann@example.com>");
    m.date = QStringLiteral("Sunday, 6 December 2026");
    m.subject = u("Plans {draft} \\ é");
    m.body = QStringLiteral("one\r\ntwo\rthree\n\tend");
    EXPECT_EQ(platform::mail::messageToRtf(m),
              QByteArray("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n"
                         "{\\fonttbl{\\f0\\fswiss\\fcharset0 DejaVu Sans;}}\n"
                         "{\\info{\\title Plans \\{draft\\} \\\\ \\u233?}}\n"
                         "\\pard\\plain\\f0\\fs24\n"
                         "{\\b From:}\\tab Ann <ann@example.com>\\par\n"
                         "{\\b Date:}\\tab Sunday, 6 December 2026\\par\n"
                         "{\\b Subject:}\\tab Plans \\{draft\\} \\\\ \\u233?\\par\n"
                         "\\par\n"
                         "one\\par\ntwo\\par\nthree\\par\n\\tab end\\par\n}\n"));

    QTemporaryDir dir;
    const auto result = saveMessageDocument(multilingualMessage(), dir.path(), SaveFormat::Rtf);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(readAll(result.path), platform::mail::messageToRtf(multilingualMessage()));
}

// Every non-ASCII unit is written as a signed 16-bit number; what no document can
// hold is dropped.
TEST(RtfContent, EscapesUnitsSignedAndDropsWhatNoDocumentCanHold)
{
    EXPECT_EQ(platform::mail::rtfEscaped(u("Жх会")), "\\u1046?\\u1093?\\u20250?");
    EXPECT_EQ(platform::mail::rtfEscaped(QString::fromUtf8("\xF0\x9F\x98\x80")), "\\u-10179?\\u-8704?");
    EXPECT_EQ(platform::mail::rtfEscaped(QStringLiteral("nul\x01\x1f")), "nul");
    EXPECT_EQ(platform::mail::rtfEscaped(QString(QChar(0xD800)) + QStringLiteral("lone")), "lone");
}

// One document holds it all: headers and text in Latin, Greek, Cyrillic and CJK;
// Latin text without "ﬁ"-style ligatures, so copied text is the message's; emoji
// drawn with an outline font (a bitmap colour font would be embedded and show
// nothing); and a long text running onto further pages.
TEST(PdfContent, ShowsEveryScriptWithoutLigaturesOverSeveralPages)
{
    QTemporaryDir dir;
    MessageDocument m = multilingualMessage();
    m.body += u("\nWrite to office@fixme.example, fluffy waffles 😀👍\n");
    for (int i = 1; i <= 400; ++i)
        m.body += QStringLiteral("line %1\n").arg(i);
    const auto result = saveMessageDocument(m, dir.path(), SaveFormat::Pdf);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    const QByteArray pdf = readAll(result.path);
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(pdf.contains("/BaseFont /Symbola"));
    EXPECT_FALSE(pdf.contains("/BaseFont /NotoColorEmoji"));
    const QString text = quorvell::test::pdfText(result.path);
    for (const QString& expected :
         {u("From: Ирина Петрова <irina@example.ru>"), u("To: Νίκος <nikos@example.gr>, 王小明 <wang@example.cn>"),
          u("Cc: kestrin@example.com"), u("Date: Sunday, 6 December 2026 07:10:23"),
          u("Subject: Отчёт: 会议 {draft} \\ 2/3"), u("Добрый день!"), u("Καλημέρα σας."), u("会议在星期一举行。"),
          u("Braces {x} and \\back\\slash"), u("Write to office@fixme.example, fluffy waffles"), u("line 1\n"),
          u("line 400")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\nin:\n" << text.toStdString();
    EXPECT_GE(text.count(QLatin1Char('\f')), 3) << "expected several pages";
}

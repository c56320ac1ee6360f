// The save commands with the alert and the chooser answered through their seams,
// the real runner, interpreter and mail stand-in, and real files in a temporary
// home. PDF files are read back with pdftotext; RTF files must hold the text escaped.

#include "ScriptTestEnvironment.h"

#include "export/SaveCommands.h"
#include "export/SystemSettings.h"
#include "platform/mail/save/RtfWriter.h"
#include "tests/export/PdfText.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <vector>

using platform::desktop::AlertSpec;
using platform::desktop::OpenPanelOptions;
using platform::desktop::OpenPanelResult;
using quorvell::Command;

namespace {

struct Formats {
    Command command;
    const char* word;  // "PDF"
    const char* extension;
    const char* placeholder;
};

constexpr Formats kFormats[] = {
    {Command::SaveToPDF, "PDF", "pdf", "/Users/kestrin/Documents/Mail to PDF"},
    {Command::SaveToRTF, "RTF", "rtf", "/Users/kestrin/Documents/Mail to RTF"},
};

void PrintTo(const Formats& format, std::ostream* out)
{
    *out << format.word;
}

// What the seams saw, and how they answer.
struct Desktop {
    bool access = true;
    int alertAnswer = platform::desktop::kAlertSecondButtonReturn;
    OpenPanelResult panelAnswer;

    int frontCalls = 0;
    std::vector<AlertSpec> alerts;
    std::vector<OpenPanelOptions> panels;
    std::vector<QUrl> opened;
    QStringList logWhenPanelOpened;

    quorvell::SaveCommandSeams seams(const ScriptTestEnvironment& env)
    {
        quorvell::SaveCommandSeams s;
        s.setFrontProcess = [this] { ++frontCalls; };
        s.accessibilityEnabled = [this] { return access; };
        s.runAlert = [this](const AlertSpec& alert) {
            alerts.push_back(alert);
            return alertAnswer;
        };
        s.runOpenPanel = [this, &env](const OpenPanelOptions& options) {
            panels.push_back(options);
            logWhenPanelOpened = env.logLines();
            return panelAnswer;
        };
        s.openURL = [this](const QUrl& url) { opened.push_back(url); };
        return s;
    }

    void choose(const QString& folder)
    {
        panelAnswer.button = platform::desktop::kOKButton;
        panelAnswer.filenames = QStringList{folder};
    }
};

QString messageText(const char* subject, const char* from, const char* body)
{
    return QStringLiteral("From: %1\r\nTo: Kestrin <kestrin@example.com>\r\nSubject: %2\r\n"
                          "Date: Sun, 06 Dec 2026 07:10:23 +0000\r\nMessage-ID: <%3@example.com>\r\n"
                          "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n"
                          "Content-Transfer-Encoding: 8bit\r\n\r\n%4\r\n")
        .arg(QString::fromUtf8(from), QString::fromUtf8(subject), QString::number(qHash(QString::fromUtf8(subject))),
             QString::fromUtf8(body));
}

QStringList files(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

bool fileHolds(const QString& path, const QString& text)
{
    if (path.endsWith(QLatin1String(".pdf")))
        return quorvell::test::pdfText(path).contains(text);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll().contains(platform::mail::rtfEscaped(text));
}

class SaveCommandTest : public ::testing::TestWithParam<Formats> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(env.isValid());
        // A save asks for a folder only when there is something to save.
        env.select({env.addMessage(QStringLiteral("1600000000.any.host"), "Subject: any\r\n\r\nx\r\n")});
    }

    std::optional<QString> run() { return quorvell::runSaveCommand(GetParam().command, desktop.seams(env)); }

    QString alertMessage() const
    {
        return QStringLiteral(
                   "Saving as %1 requires that you allow Quorvell to control your computer.\n\n"
                   "In the System Preferences \"Security & Privacy\" pane select the \"Privacy\" tab, and then "
                   "select \"Accessibility\" in the list on the left.\n\n"
                   "Then choose to allow \"Quorvell\" to control your computer.")
            .arg(QLatin1String(GetParam().word));
    }
    QString logLine() const { return QStringLiteral("Saving messages to %1...").arg(QLatin1String(GetParam().word)); }
    QString scriptName() const { return QStringLiteral("Mail To %1.applescript").arg(QLatin1String(GetParam().word)); }

    // A folder of the test's own, made on disk.
    QString folder(const QString& name) const
    {
        const QString path = env.path(QStringLiteral("chosen/") + name);
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }

    ScriptTestEnvironment env;
    Desktop desktop;
};

}  // namespace

// Without access the alert is the whole command: its first button opens the
// system's pane, its second cancels; no chooser, no log line either way.
TEST_P(SaveCommandTest, WithoutAccessTheAlertEndsTheCommand)
{
    desktop.access = false;
    desktop.choose(folder(QStringLiteral("never")));
    for (const int answer : {platform::desktop::kAlertSecondButtonReturn, platform::desktop::kAlertFirstButtonReturn}) {
        desktop.alertAnswer = answer;
        EXPECT_FALSE(run());
    }
    EXPECT_EQ(desktop.frontCalls, 2);
    ASSERT_EQ(desktop.alerts.size(), 2u);
    const AlertSpec& alert = desktop.alerts.front();
    EXPECT_EQ(alert.style, platform::desktop::AlertStyle::Warning);
    EXPECT_EQ(alert.messageText, alertMessage());
    EXPECT_EQ(alert.informativeText, QStringLiteral("Would you like to open System Preferences so that you can do so?"));
    EXPECT_EQ(alert.buttons, (QStringList{QStringLiteral("Open System Preferences"), QStringLiteral("Cancel")}));
    EXPECT_EQ(desktop.opened, std::vector<QUrl>{
        QUrl::fromLocalFile(QStringLiteral("/System/Library/PreferencePanes/Security.prefPane"))});
    EXPECT_TRUE(desktop.panels.empty());
    EXPECT_TRUE(env.logLines().isEmpty());
}

TEST_P(SaveCommandTest, ChooserCancelledLeavesTheLogLineOnly)
{
    const OpenPanelResult answers[] = {
        {platform::desktop::kCancelButton, {}},
        {platform::desktop::kCancelButton, {folder(QStringLiteral("ignored"))}},
        {platform::desktop::kOKButton, {}},
        {platform::desktop::kOKButton, {QString()}},
    };
    ASSERT_TRUE(env.writeScript(scriptName(), QStringLiteral("error \"the script must not run\"")));
    QStringList logged;
    for (const OpenPanelResult& answer : answers) {
        desktop.panelAnswer = answer;
        EXPECT_FALSE(run());
        logged << logLine();
        EXPECT_EQ(env.logLines(), logged);
        EXPECT_EQ(desktop.logWhenPanelOpened, logged) << "log line after the panel";
    }
    EXPECT_TRUE(desktop.alerts.empty());
    EXPECT_TRUE(files(env.path(QStringLiteral("chosen/ignored"))).isEmpty());

    const OpenPanelOptions& panel = desktop.panels.front();
    EXPECT_EQ(panel.title, QStringLiteral("Choose a destination directory for saved messages"));
    EXPECT_EQ(panel.prompt, QStringLiteral("Choose"));
    EXPECT_FALSE(panel.allowsMultipleSelection);
    EXPECT_TRUE(panel.canChooseDirectories);
    EXPECT_FALSE(panel.canChooseFiles);
    EXPECT_TRUE(panel.canCreateDirectories);
}

// The path reaches the script as exactly the folder's name, whatever it holds:
// quotes and backslashes cannot end the string literal and run code.
TEST_P(SaveCommandTest, EveryPlaceholderBecomesTheChosenPathUnchanged)
{
    const QString placeholder = QLatin1String(GetParam().placeholder);
    ASSERT_TRUE(env.writeScript(scriptName(), QStringLiteral("set a to \"%1\"\nset b to \"%2\"\nset c to \"%3\"\n"
                                                             "return a & \"|\" & b & \"|\" & c")
                                                  .arg(placeholder, placeholder.toUpper(), placeholder.toLower())));
    const QString names[] = {
        QStringLiteral("plain folder"),
        QStringLiteral("a\" & (do shell script \"touch /tmp/injected\") & \"b\\c"),
        QStringLiteral("ends with a backslash\\"),
        QStringLiteral("\\\"\\\\\""),
        QStringLiteral("tab\\t and newline\\n as text"),
        QString::fromUtf8("Документы 書類"),
    };
    for (const QString& name : names) {
        const QString path = folder(name);
        desktop.choose(path);
        const auto result = run();
        ASSERT_TRUE(result) << name.toStdString();
        EXPECT_EQ(*result, QStringList({path, path, path}).join(QLatin1Char('|'))) << name.toStdString();
    }
}

TEST_P(SaveCommandTest, ChosenFolderReceivesEverySelectedMessage)
{
    ScriptTestEnvironment::useProjectResources();
    env.addMessage(QStringLiteral("1700000001.a.host"),
                   messageText("Отчёт: итоги", "Ирина <irina@example.ru>", "Добрый день! 会议在星期一。").toUtf8());
    env.addMessage(QStringLiteral("1700000002.b.host"),
                   messageText("Q3/Q4 plans", "Ann Lee <ann@example.com>", "Plans {draft} \\ ok").toUtf8());
    env.addMessage(QStringLiteral("1700000003.c.host"),
                   messageText("Q3/Q4 plans", "Bob <bob@example.com>", "second of the same name").toUtf8());
    env.select({QStringLiteral("1700000001.a.host"), QStringLiteral("1700000002.b.host"),
                QStringLiteral("1700000003.c.host")});
    const QString target = folder(QStringLiteral("a\" & (do shell script \"touch x\") & \"b\\c"));
    desktop.choose(target);

    const auto result = run();
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, QStringLiteral("3"));
    const QString ext = QLatin1String(GetParam().extension);
    ASSERT_EQ(files(target), (QStringList{QStringLiteral("Q3-Q4 plans 2.") + ext, QStringLiteral("Q3-Q4 plans.") + ext,
                                          QString::fromUtf8("Отчёт- итоги.") + ext}));
    EXPECT_EQ(QDir(env.path(QStringLiteral("chosen"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 1)
        << "something was written beside the chosen folder";

    const QString first = target + QString::fromUtf8("/Отчёт- итоги.") + ext;
    for (const char* text : {"Отчёт: итоги", "Добрый день! 会议在星期一。", "irina@example.ru"})
        EXPECT_TRUE(fileHolds(first, QString::fromUtf8(text))) << text;
    EXPECT_TRUE(fileHolds(target + QStringLiteral("/Q3-Q4 plans.") + ext, QStringLiteral("Plans {draft} \\ ok")));
    EXPECT_TRUE(fileHolds(target + QStringLiteral("/Q3-Q4 plans 2.") + ext, QStringLiteral("second of the same")));
    EXPECT_EQ(env.logLines(), QStringList{logLine()});
    EXPECT_TRUE(env.sounds().isEmpty());

    // A folder that is gone by the time of saving gets nothing, and nothing crashes.
    desktop.choose(env.path(QStringLiteral("chosen/vanished")));
    EXPECT_EQ(run(), QStringLiteral("0"));
    EXPECT_FALSE(QFile::exists(env.path(QStringLiteral("chosen/vanished"))));
}

INSTANTIATE_TEST_SUITE_P(Formats, SaveCommandTest, ::testing::ValuesIn(kFormats),
                         [](const auto& format) { return std::string(format.param.word); });

TEST(AccessibilitySettings, TheDesktopsOwnProgramWhenInstalled)
{
    struct Case {
        const char* desktop;
        QStringList installed;
        std::optional<quorvell::SettingsLauncher> expected;
    };
    const QString gcc = QStringLiteral("gnome-control-center");
    const Case cases[] = {
        // A list of desktops, named in any case.
        {"pop:gnome", {gcc}, quorvell::SettingsLauncher{gcc, {QStringLiteral("universal-access")}}},
        // The first of the desktop's programs that is installed.
        {"KDE", {QStringLiteral("systemsettings"), QStringLiteral("systemsettings5")},
         quorvell::SettingsLauncher{QStringLiteral("systemsettings"), {QStringLiteral("kcm_access")}}},
        {"XFCE", {gcc}, std::nullopt},  // another desktop's program is not started
    };
    for (const Case& c : cases) {
        const auto launcher = quorvell::accessibilitySettingsLauncher(
            QString::fromLatin1(c.desktop), [&](const QString& program) { return c.installed.contains(program); });
        EXPECT_EQ(launcher, c.expected) << c.desktop;
    }
}

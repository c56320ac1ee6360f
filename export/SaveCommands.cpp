#include "export/SaveCommands.h"

#include "export/SystemSettings.h"
#include "platform/desktop/Log.h"
#include "platform/desktop/widgets/FrontProcess.h"
#include "platform/mail/MailState.h"
#include "scripting/CommandFeedback.h"
#include "scripting/ScriptRunner.h"

#include <array>

namespace quorvell {

namespace {

// What distinguishes the two commands; the rest of the command is common.
struct SaveCommandText {
    Command command;
    const char* format;       // "PDF", "RTF": the alert's and the log line's word
    const char* placeholder;  // the folder path the export script carries
};

constexpr std::array<SaveCommandText, 2> kSaveCommands{{
    {Command::SaveToPDF, "PDF", "/Users/kestrin/Documents/Mail to PDF"},
    {Command::SaveToRTF, "RTF", "/Users/kestrin/Documents/Mail to RTF"},
}};

const SaveCommandText* saveCommandText(Command command)
{
    for (const SaveCommandText& row : kSaveCommands) {
        if (row.command == command)
            return &row;
    }
    return nullptr;
}

platform::desktop::AlertSpec accessAlert(const SaveCommandText& text)
{
    platform::desktop::AlertSpec alert;
    alert.style = platform::desktop::AlertStyle::Warning;
    alert.messageText = QStringLiteral(
                            "Saving as %1 requires that you allow Quorvell to control your computer.\n\n"
                            "In the System Preferences \"Security & Privacy\" pane select the \"Privacy\" tab, "
                            "and then select \"Accessibility\" in the list on the left.\n\n"
                            "Then choose to allow \"Quorvell\" to control your computer.")
                            .arg(QLatin1String(text.format));
    alert.informativeText = QStringLiteral("Would you like to open System Preferences so that you can do so?");
    alert.buttons = QStringList{QStringLiteral("Open System Preferences"), QStringLiteral("Cancel")};
    return alert;
}

platform::desktop::OpenPanelOptions folderChooser()
{
    platform::desktop::OpenPanelOptions options;
    options.allowsMultipleSelection = false;
    options.canChooseDirectories = true;
    options.canChooseFiles = false;
    options.canCreateDirectories = true;
    options.title = QStringLiteral("Choose a destination directory for saved messages");
    options.prompt = QStringLiteral("Choose");
    return options;
}

// The export scripts answer with the number of files they wrote; a script of the
// person's own that answers otherwise is taken to have saved something.
void tellSaved(const QString& scriptResult, const QString& folder, const SaveCommandSeams& seams)
{
    bool counted = false;
    const int files = scriptResult.trimmed().toInt(&counted);
    if (counted && files == 0) {
        showResult(QStringLiteral("No files saved in %1").arg(folder));
        return;
    }
    const QString summary = !counted ? QStringLiteral("Messages saved in %1").arg(folder)
        : files == 1                 ? QStringLiteral("1 file saved in %1").arg(folder)
                                     : QStringLiteral("%1 files saved in %2").arg(files).arg(folder);
    std::function<void()> openFolder;
    if (seams.openURL)
        openFolder = [openURL = seams.openURL, url = QUrl::fromLocalFile(folder)] { openURL(url); };
    showResult(summary, QStringLiteral("Open Folder"), std::move(openFolder));
}

}  // namespace

QString escapedForScriptString(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

SaveCommandSeams desktopSaveCommandSeams()
{
    SaveCommandSeams seams;
    seams.setFrontProcess = [] { platform::desktop::setFrontProcess(); };
    seams.accessibilityEnabled = [] { return true; };
    seams.runAlert = [](const platform::desktop::AlertSpec& alert) { return platform::desktop::runModalAlert(alert); };
    seams.runOpenPanel = [](const platform::desktop::OpenPanelOptions& options) {
        return platform::desktop::runOpenPanel(options);
    };
    seams.openURL = [](const QUrl& url) { openSystemURL(url); };
    return seams;
}

std::optional<QString> runSaveCommand(Command command, const SaveCommandSeams& seams)
{
    const SaveCommandText* text = saveCommandText(command);
    if (text == nullptr)
        return std::nullopt;

    // A seam left empty gives the answer that saves nothing: no alert answer, no folder.
    if (seams.setFrontProcess)
        seams.setFrontProcess();
    const bool granted = seams.accessibilityEnabled ? seams.accessibilityEnabled() : true;
    if (!granted) {
        // The command ends here in both cases: the user grants the access and then
        // chooses the command again.
        const int answer = seams.runAlert ? seams.runAlert(accessAlert(*text)) : platform::desktop::kAlertSecondButtonReturn;
        if (answer == platform::desktop::kAlertFirstButtonReturn && seams.openURL)
            seams.openURL(QUrl::fromLocalFile(QLatin1String(kSecurityPanePath)));
        return std::nullopt;
    }

    platform::desktop::log(QStringLiteral("Saving messages to %1...").arg(QLatin1String(text->format)));

    if (!selectionReady())
        return std::nullopt;

    const platform::desktop::OpenPanelResult chosen =
        seams.runOpenPanel ? seams.runOpenPanel(folderChooser()) : platform::desktop::OpenPanelResult{};
    if (chosen.button != platform::desktop::kOKButton || chosen.filenames.isEmpty()
        || chosen.filenames.first().isEmpty())
        return std::nullopt;

    const QString folder = chosen.filenames.first();
    std::optional<QString> result =
        runMailScriptReplacing(QString::fromLatin1(commandRow(command).script.data(),
                                                   static_cast<int>(commandRow(command).script.size())),
                               QString::fromLatin1(text->placeholder), escapedForScriptString(folder));
    if (result)
        tellSaved(*result, folder, seams);
    return result;
}

void runSaveCommand(Command command)
{
    // The check and the script read the selection once; what was fetched for it
    // (from Thunderbird) goes when the command ends.
    const platform::mail::SelectionScope oneRead;
    (void)runSaveCommand(command, desktopSaveCommandSeams());
}

}  // namespace quorvell

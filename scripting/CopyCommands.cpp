#include "scripting/CopyCommands.h"

#include "addressbook/SenderList.h"
#include "platform/mail/MailState.h"
#include "scripting/CommandFeedback.h"
#include "scripting/ScriptRunner.h"
#include "settings/Settings.h"

#include <array>
#include <cstddef>

namespace quorvell {
namespace {

enum class Commas {
    Setting,  // pass UseCommaDelimiter: the script gives one item per line
    Never,    // the text keeps its line breaks whatever the setting says
};

enum class ClipboardWriter {
    Runner,           // the runner writes the script's text
    SenderNames,      // copySenderField picks the names
    SenderAddresses,  // copySenderField picks the addresses
};

struct CopyCommandRow {
    Command command;
    Commas commas;
    ClipboardWriter clipboard;
};

// ORDER: the copy commands lead the command table, in its order; the script of
// each row is the command table's.
constexpr std::array<CopyCommandRow, 17> kCopyCommands{{
    {Command::CopyContent, Commas::Never, ClipboardWriter::Runner},
    {Command::CopySubject, Commas::Setting, ClipboardWriter::Runner},
    {Command::CopyReplyTo, Commas::Setting, ClipboardWriter::Runner},
    {Command::CopySender, Commas::Setting, ClipboardWriter::Runner},
    {Command::CopySenderName, Commas::Setting, ClipboardWriter::SenderNames},
    {Command::CopySenderAddress, Commas::Setting, ClipboardWriter::SenderAddresses},
    {Command::CopyRecipient, Commas::Setting, ClipboardWriter::Runner},
    {Command::CopyRecipientName, Commas::Setting, ClipboardWriter::Runner},
    {Command::CopyRecipientAddress, Commas::Setting, ClipboardWriter::Runner},
    {Command::CopyMessageID, Commas::Setting, ClipboardWriter::Runner},
    {Command::CopyMailMessageID, Commas::Setting, ClipboardWriter::Runner},
    {Command::CopyAllHeaders, Commas::Never, ClipboardWriter::Runner},
    {Command::CopyAllHeadersContent, Commas::Never, ClipboardWriter::Runner},
    {Command::CopyDate, Commas::Setting, ClipboardWriter::Runner},
    {Command::CopyTime, Commas::Setting, ClipboardWriter::Runner},
    {Command::CopySummary, Commas::Never, ClipboardWriter::Runner},
    {Command::CopySource, Commas::Never, ClipboardWriter::Runner},
}};

constexpr bool copyCommandsInOrder()
{
    for (std::size_t i = 0; i < kCopyCommands.size(); ++i) {
        if (static_cast<std::size_t>(kCopyCommands[i].command) != i)
            return false;
        if (commandRow(kCopyCommands[i].command).script.empty())
            return false;
    }
    return true;
}
static_assert(copyCommandsInOrder(), "kCopyCommands must follow the head of kCommandTable");

const CopyCommandRow* copyCommandRow(Command command)
{
    const auto index = static_cast<std::size_t>(command);
    return index < kCopyCommands.size() ? &kCopyCommands[index] : nullptr;
}

QString scriptOf(Command command)
{
    const std::string_view script = commandRow(command).script;
    return QString::fromUtf8(script.data(), static_cast<qsizetype>(script.size()));
}

}  // namespace

bool isCopyCommand(Command command)
{
    return copyCommandRow(command) != nullptr;
}

void runCopyCommand(Command command)
{
    const CopyCommandRow* row = copyCommandRow(command);
    if (!row)
        return;
    // The check and the script read the selection once, together.
    const platform::mail::SelectionScope oneRead;
    // Nothing to copy leaves the clipboard as the person had it.
    if (!selectionReady())
        return;
    // Read afresh every time, in this order: a change in the preferences window
    // applies to the next command.
    const bool reverseOrder = readReverseOrder();
    const bool commas = row->commas == Commas::Setting && readUseCommaDelimiter();

    if (row->clipboard == ClipboardWriter::Runner) {
        (void)runMailScriptResult(scriptOf(command), reverseOrder, true, commas);
        return;
    }
    // The runner leaves the clipboard alone and plays the sound; the parser writes
    // the names or addresses, and only when the script gave a text.
    const std::optional<QString> senders = runMailScript(scriptOf(command), reverseOrder, false, commas);
    if (senders)
        (void)copySenderField(*senders, row->clipboard == ClipboardWriter::SenderNames ? SenderFieldName
                                                                                       : SenderFieldAddress);
}

}  // namespace quorvell

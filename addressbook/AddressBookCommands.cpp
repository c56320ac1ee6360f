#include "addressbook/AddressBookImport.h"

#include "platform/desktop/Log.h"
#include "platform/mail/MailState.h"
#include "scripting/CommandFeedback.h"
#include "scripting/ScriptRunner.h"
#include "settings/Settings.h"

#include <array>
#include <string_view>

namespace quorvell {
namespace {

struct AddressBookCommand {
    Command command;
    std::string_view logLine;
};

constexpr std::array<AddressBookCommand, 2> kAddressBookCommands{{
    {Command::AddToAddressBook, "Adding senders to Address Book..."},
    {Command::AddRecipientToAddressBook, "Adding recipients to Address Book..."},
}};

}  // namespace

// The list is always cut at line breaks: the comma setting plays no part in an import.
void runAddressBookCommand(Command command)
{
    for (const AddressBookCommand& known : kAddressBookCommands) {
        if (known.command != command)
            continue;
        const platform::mail::SelectionScope oneRead;  // the check and the script read it once
        if (!selectionReady())
            return;
        platform::desktop::log(QString::fromUtf8(known.logLine.data(), qsizetype(known.logLine.size())));
        const bool reverseOrder = readReverseOrder();
        const std::string_view script = commandRow(command).script;
        const std::optional<QString> text =
            runMailScript(QString::fromUtf8(script.data(), qsizetype(script.size())), reverseOrder, false, false);
        if (text)
            importToAddressBook(*text);
        return;
    }
}

}  // namespace quorvell

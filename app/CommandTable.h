#pragma once
// The one list of commands. Its order is the status menu's order; the menu build,
// the copy commands, the session-bus service and the preferences window all read it.
// Rows 0-18 are the menu's commands; the two export rows that follow carry a key, an
// action and a script but no title: the menu never shows them.

#include "settings/SettingsTable.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace quorvell {

// ORDER: the same as kCommandTable.
enum class Command {
    CopyContent,
    CopySubject,
    CopyReplyTo,
    CopySender,
    CopySenderName,
    CopySenderAddress,
    CopyRecipient,
    CopyRecipientName,
    CopyRecipientAddress,
    CopyMessageID,
    CopyMailMessageID,
    CopyAllHeaders,
    CopyAllHeadersContent,
    CopyDate,
    CopyTime,
    CopySummary,
    CopySource,
    AddRecipientToAddressBook,
    AddToAddressBook,
    SaveToPDF,
    SaveToRTF,
};

struct CommandRow {
    Command command;
    std::string_view key;      // settings key (UpperCamelCase, mostly "Include...")
    std::string_view title;    // menu title; empty for the export rows
    std::string_view toolTip;  // empty for the export rows
    std::string_view action;   // the controller's action name, "selCopySubject:"
    std::string_view script;   // script resource file name
};

inline constexpr std::array<CommandRow, 21> kCommandTable{{
    {Command::CopyContent, "IncludeContent", "Copy Content", "Contents of the selected messages",
     "selCopyContent:", "Mail Content.applescript"},
    {Command::CopySubject, "IncludeSubject", "Copy Subject", "Subjects of the selected messages",
     "selCopySubject:", "Mail Subject.applescript"},
    {Command::CopyReplyTo, "IncludeReplyTo", "Copy Reply To", "The reply addresses of the selected messages",
     "selCopyReplyTo:", "Mail Reply To.applescript"},
    {Command::CopySender, "IncludeSender", "Copy Sender",
     "The names and addresses of the senders of the selected messages", "selCopySender:",
     "Mail Sender.applescript"},
    {Command::CopySenderName, "IncludeSenderName", "Copy Sender Name",
     "The names of the senders of the selected messages", "selCopySenderName:", "Mail Sender.applescript"},
    {Command::CopySenderAddress, "IncludeSenderAddress", "Copy Sender Address",
     "The addresses of the senders of the selected messages", "selCopySenderAddress:",
     "Mail Sender.applescript"},
    {Command::CopyRecipient, "IncludeRecipient", "Copy Recipient",
     "The names and addresses of the recipients of the selected messages", "selCopyRecipient:",
     "Mail Recipient.applescript"},
    {Command::CopyRecipientName, "IncludeRecipientName", "Copy Recipient Name",
     "The names of the recipients of the selected messages", "selCopyRecipientName:",
     "Mail Recipient Name.applescript"},
    {Command::CopyRecipientAddress, "IncludeRecipientAddress", "Copy Recipient Address",
     "The addresses of the recipients of the selected messages", "selCopyRecipientAddress:",
     "Mail Recipient Address.applescript"},
    {Command::CopyMessageID, "MessageID", "Copy Header Message ID",
     "The header message ID strings of the selected messages", "selCopyMessageID:",
     "Mail Message ID.applescript"},
    {Command::CopyMailMessageID, "MailMessageID", "Copy Mail Message ID",
     "Mail's internal numeric message ID strings of the selected messages", "selCopyMailMessageID:",
     "Mail Mail Message ID.applescript"},
    {Command::CopyAllHeaders, "AllHeaders", "Copy All Headers", "All the headers of the selected messages",
     "selCopyAllHeaders:", "Mail All Headers.applescript"},
    {Command::CopyAllHeadersContent, "AllHeadersContent", "Copy All Headers and Content",
     "All the headers and content of the selected messages", "selCopyAllHeadersContent:",
     "Mail All Headers Content.applescript"},
    {Command::CopyDate, "IncludeDate", "Copy Date", "Dates of selected messages", "selCopyDate:",
     "Mail Date.applescript"},
    {Command::CopyTime, "IncludeTime", "Copy Time", "Times of selected messages", "selCopyTime:",
     "Mail Time.applescript"},
    {Command::CopySummary, "IncludeSummary", "Copy Summary",
     "Sender, subject, date, time, recipient and content of selected messages", "selCopySummary:",
     "Mail Summary.applescript"},
    {Command::CopySource, "IncludeSource", "Copy Source", "Raw source of the selected messages",
     "selCopySource:", "Mail Source.applescript"},
    {Command::AddRecipientToAddressBook, "IncludeAddRecipientToAddressBook", "Add Recipient to Address Book",
     "Add the recipients of selected messages to Address Book", "selAddRecipientToAddressBook:",
     "Mail Recipient.applescript"},
    {Command::AddToAddressBook, "IncludeAddToAddressBook", "Add Sender to Address Book",
     "Add the senders of selected messages to Address Book", "selAddToAddressBook:",
     "Mail Sender.applescript"},
    {Command::SaveToPDF, "IncludeSaveToPDF", "", "", "selSaveToPDF:", "Mail To PDF.applescript"},
    {Command::SaveToRTF, "IncludeSaveToRTF", "", "", "selSaveToRTF:", "Mail To RTF.applescript"},
}};

inline constexpr std::size_t kMenuCommandCount = 19;

// The rows the status menu offers, in menu order.
constexpr std::span<const CommandRow> menuCommands()
{
    return std::span<const CommandRow>(kCommandTable).first(kMenuCommandCount);
}

constexpr const CommandRow& commandRow(Command command)
{
    return kCommandTable[static_cast<std::size_t>(command)];
}

// "selCopySubject:" -> "CopySubject": the name a command has outside the menu
// (the session-bus method, the command line).
constexpr std::string_view commandName(const CommandRow& row)
{
    std::string_view name = row.action;
    name.remove_prefix(3);
    name.remove_suffix(1);
    return name;
}

namespace detail {
constexpr bool tableInOrder()
{
    for (std::size_t i = 0; i < kCommandTable.size(); ++i) {
        if (static_cast<std::size_t>(kCommandTable[i].command) != i)
            return false;
        if (!kCommandTable[i].action.starts_with("sel") || !kCommandTable[i].action.ends_with(":"))
            return false;
        if ((i < kMenuCommandCount) == kCommandTable[i].title.empty())
            return false;
    }
    return true;
}
static_assert(tableInOrder(), "kCommandTable rows must follow the Command enum");

// Each command's key is a row of the settings table, with a place among the
// command keys of the full save: a misspelt key would make a menu item whose
// checkbox hides nothing.
constexpr bool keysAreSettings()
{
    for (const CommandRow& command : kCommandTable) {
        const auto* row = std::find_if(kSettingsTable.begin(), kSettingsTable.end(),
                                       [&](const SettingRow& setting) { return setting.key == command.key; });
        if (row == kSettingsTable.end() || row->fullSavePlace > kFullSaveCommandKeys)
            return false;
    }
    return kCommandTable.size() == kFullSaveCommandKeys;
}
static_assert(keysAreSettings(), "every command key is a command key of kSettingsTable");
}  // namespace detail

}  // namespace quorvell

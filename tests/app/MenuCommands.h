#pragma once
// The status menu's command items, in menu order: title, then tool tip. Written out
// rather than taken from the command table, which they check.

#include <QStringList>

namespace quorvell {

inline const QStringList kMenuCommands = {
    "Copy Content", "Contents of the selected messages",
    "Copy Subject", "Subjects of the selected messages",
    "Copy Reply To", "The reply addresses of the selected messages",
    "Copy Sender", "The names and addresses of the senders of the selected messages",
    "Copy Sender Name", "The names of the senders of the selected messages",
    "Copy Sender Address", "The addresses of the senders of the selected messages",
    "Copy Recipient", "The names and addresses of the recipients of the selected messages",
    "Copy Recipient Name", "The names of the recipients of the selected messages",
    "Copy Recipient Address", "The addresses of the recipients of the selected messages",
    "Copy Header Message ID", "The header message ID strings of the selected messages",
    "Copy Mail Message ID", "Mail's internal numeric message ID strings of the selected messages",
    "Copy All Headers", "All the headers of the selected messages",
    "Copy All Headers and Content", "All the headers and content of the selected messages",
    "Copy Date", "Dates of selected messages",
    "Copy Time", "Times of selected messages",
    "Copy Summary", "Sender, subject, date, time, recipient and content of selected messages",
    "Copy Source", "Raw source of the selected messages",
    "Add Recipient to Address Book", "Add the recipients of selected messages to Address Book",
    "Add Sender to Address Book", "Add the senders of selected messages to Address Book",
};

}  // namespace quorvell

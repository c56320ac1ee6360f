#pragma once
// Files the people of a sender or recipient list into the address book, in a new
// group named "Quorvell <date>".

#include "app/CommandTable.h"

#include <QString>

namespace quorvell {

// True when the group was made and every entry was handled.
bool importToAddressBook(const QString& scriptText);

// The two address-book commands: AddToAddressBook, AddRecipientToAddressBook.
void runAddressBookCommand(Command command);

}  // namespace quorvell

// A second process for the tests that need one:
//   addressbook_import_helper import FILE   imports the UTF-8 text of FILE; exit 0 on success
//   addressbook_import_helper hold          opens the book, prints "locked", holds it until stdin ends
// The book is found through HOME / XDG_DATA_HOME, as in the application.

#include "addressbook/AddressBookImport.h"
#include "platform/addressbook/AddressBook.h"

#include <QFile>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "import") == 0) {
        QFile file(QString::fromLocal8Bit(argv[2]));
        if (!file.open(QIODevice::ReadOnly))
            return 2;
        return quorvell::importToAddressBook(QString::fromUtf8(file.readAll())) ? 0 : 1;
    }
    if (argc == 2 && std::strcmp(argv[1], "hold") == 0) {
        const auto book = platform::addressbook::AddressBook::open(platform::addressbook::AddressBook::defaultFolder());
        if (!book)
            return 1;
        std::puts("locked");
        std::fflush(stdout);
        while (std::fgetc(stdin) != EOF) {
        }
        return 0;
    }
    std::fputs("usage: addressbook_import_helper import FILE | hold\n", stderr);
    return 2;
}

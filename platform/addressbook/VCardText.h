#pragma once
// The textual side of vCard files: finding the cards of a file by their BEGIN and END
// lines, telling whether a card carries a UID, inserting one with a minimal edit,
// and writing the vCard 4.0 cards that this address book creates. Parsing the
// contents of a card is left to KF5 Contacts; this file only needs line structure,
// so it works on the raw bytes and never re-encodes a card it did not write.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace platform::addressbook::vcard {

struct CardBlock {
    int begin = 0;        // offset of the "BEGIN:VCARD" line
    int end = 0;          // offset just past the "END:VCARD" line and its break
    int uidInsertAt = 0;  // just past the VERSION line and its continuation lines, or the BEGIN line without one
    QByteArray lineBreak;       // the break that ends the BEGIN line ("\r\n", "\n" or "\r")
    bool hasUid = false;
};

// The cards of a file, in order; none when the file is not a sequence of complete
// cards (no card at all, a card without END, text between cards other than blank
// lines, a BEGIN inside a card). Property names are read from unfolded lines, as a
// vCard reader reads them; a leading UTF-8 byte order mark is passed over.
[[nodiscard]] std::optional<std::vector<CardBlock>> splitCards(const QByteArray& file);

// The file as vCard parsers expect it: without a leading UTF-8 byte order mark, which
// KF5 Contacts would take for part of the BEGIN line.
[[nodiscard]] QByteArray withoutByteOrderMark(const QByteArray& file);

// The file with "UID:<uid>" inserted at the block's insertion point, using the
// block's own line break; every other byte is kept.
[[nodiscard]] QByteArray insertUid(const QByteArray& file, const CardBlock& block, const QString& uid);

// The value that names a card in MEMBER: the UID itself when it is already a URI
// ("urn:uuid:…"), otherwise "urn:uuid:" + uid.
[[nodiscard]] QString memberReference(const QString& uid);

// "urn:uuid:" + a new random UUID.
[[nodiscard]] QString newUid();

// A vCard 4.0 person: UID, FN, N, one EMAIL;TYPE=work when email is not empty and
// CATEGORIES with the one category when that is not empty. FN is "first last" (the
// parts that are not empty), or the e-mail address when both are empty.
[[nodiscard]] QByteArray personCard(const QString& uid, const QString& firstName, const QString& lastName,
                                    const QString& email, const QString& category = {});

// A vCard 4.0 group: KIND:group and FN, with one MEMBER per reference, and the same
// as X-ADDRESSBOOKSERVER-KIND / X-ADDRESSBOOKSERVER-MEMBER, which CardDAV servers
// and several clients read instead.
[[nodiscard]] QByteArray groupCard(const QString& uid, const QString& name, const QStringList& members);

}  // namespace platform::addressbook::vcard

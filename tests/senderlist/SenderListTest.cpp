// The sender list rule, as tables: cutting a list, taking an entry apart, and the
// joined names or addresses that the copy commands deliver.

#include "addressbook/SenderList.h"
#include "addressbook/SenderListParsing.h"

#include <gtest/gtest.h>

#include <optional>

using quorvell::SenderEntry;
using quorvell::SenderFieldAddress;
using quorvell::SenderFieldName;

namespace {

struct EntryCase {
    const char* entry;
    const char* firstName;
    std::optional<const char*> lastName;
    const char* address;
    const char* name;  // what the name field delivers
};

const EntryCase kEntries[] = {
    {"Ann Marie Lee <x>", "Ann Marie", "Lee", "x", "Ann Marie Lee"},
    {"Ann Lee <x>", "Ann", "Lee", "x", "Ann Lee"},
    {"Ann <x>", "Ann", std::nullopt, "x", "Ann"},
    {"<x>", "<x>", std::nullopt, "x", "<x>"},
    {"x", "x", std::nullopt, "x", "x"},
    {"Ann Lee", "Lee", std::nullopt, "Lee", "Lee"},
    {"Ann  Lee <x>", "Ann ", "Lee", "x", "Ann  Lee"},
    {" Ann <x>", "", "Ann", "x", " Ann"},
    {"Ann <x> ", "", std::nullopt, "", ""},
    {"Ann  <x>", "Ann", "", "x", "Ann "},
    {"<>", "<>", std::nullopt, "", "<>"},
    {"<x", "<x", std::nullopt, "<x", "<x"},
    {"", "", std::nullopt, "", ""},
    {" <x>", "", std::nullopt, "x", ""},
    {"<", "<", std::nullopt, "<", "<"},
    {">", ">", std::nullopt, ">", ">"},
    // Quotes, tabs and commas are ordinary characters of a word.
    {"\"Ann Lee\" <x>", "\"Ann", "Lee\"", "x", "\"Ann Lee\""},
    {"Lee, Ann <x>", "Lee,", "Ann", "x", "Lee, Ann"},
    {"Ann\tLee <x>", "Ann\tLee", std::nullopt, "x", "Ann\tLee"},
    {"Ann <x>\t", "<x>\t", std::nullopt, "<x>\t", "<x>\t"},
    {"a b c d <e>", "a b c", "d", "e", "a b c d"},
    {"Ann <<x>>", "Ann", std::nullopt, "<x>", "Ann"},
    {"Zoë Ørsted <zoë@exämple.org>", "Zoë", "Ørsted", "zoë@exämple.org", "Zoë Ørsted"},
};

TEST(ParseSenderEntry, TakesEveryEntryApartByItsLastWord)
{
    for (const EntryCase& c : kEntries) {
        SCOPED_TRACE(c.entry);
        const SenderEntry parsed = quorvell::parseSenderEntry(QString::fromUtf8(c.entry));
        EXPECT_EQ(parsed.firstName, QString::fromUtf8(c.firstName));
        ASSERT_EQ(parsed.lastName.has_value(), c.lastName.has_value());
        if (c.lastName) {
            EXPECT_EQ(*parsed.lastName, QString::fromUtf8(*c.lastName));
        }
        EXPECT_EQ(parsed.address, QString::fromUtf8(c.address));
        const QString text = QString::fromUtf8(c.entry);
        EXPECT_EQ(quorvell::detail::joinSenderField(text, SenderFieldName, false), QString::fromUtf8(c.name));
        EXPECT_EQ(quorvell::detail::joinSenderField(text, SenderFieldAddress, false), QString::fromUtf8(c.address));
    }
}

struct SplitCase {
    const char* text;
    bool commaSeparated;
    QStringList entries;
};

TEST(SplitSenderList, CutsAtTheBreaksOfItsMode)
{
    const SplitCase cases[] = {
        {"", false, {""}},
        {"", true, {""}},
        {"a", false, {"a"}},
        {"a\rb", false, {"a", "b"}},
        {"a\nb", false, {"a", "b"}},
        {"a\r\nb", false, {"a", "b"}},
        {"a\n\rb", false, {"a", "", "b"}},
        {"a\r\r\nb", false, {"a", "", "b"}},
        {"a\r\n\r\nb\r\n", false, {"a", "", "b", ""}},
        {"\n", false, {"", ""}},
        {"a,b", false, {"a,b"}},
        {"a,b", true, {"a", "b"}},
        {"a,,b,", true, {"a", "", "b", ""}},
        {"a\nb,c\r\nd", true, {"a\nb", "c\r\nd"}},
        {"Lee, Ann <x>", true, {"Lee", " Ann <x>"}},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << QString::fromUtf8(c.text).toUtf8().toPercentEncoding().constData()
                                        << (c.commaSeparated ? " commas" : " lines"));
        EXPECT_EQ(quorvell::splitSenderList(QString::fromUtf8(c.text), c.commaSeparated), c.entries);
    }
}

struct JoinCase {
    const char* text;
    bool commaSeparated;
    const char* names;
    const char* addresses;
};

TEST(JoinSenderField, PutsOneSeparatorBetweenEntriesAndNoneAfterTheLast)
{
    const JoinCase cases[] = {
        {"Ann <a>\rBob Roe <b>", false, "Ann\nBob Roe", "a\nb"},
        {"Ann <a>\r\nBob Roe <b>", false, "Ann\nBob Roe", "a\nb"},
        {"Ann <a>\n\rBob <b>", false, "Ann\n\nBob", "a\n\nb"},
        {"Ann <a>\n", false, "Ann\n", "a\n"},
        {"", false, "", ""},
        {"", true, "", ""},
        {"Lee, Ann <x>", true, "Lee, Ann", "Lee,x"},
        {"Lee, Ann <x>", false, "Lee, Ann", "x"},
        {"A <a>,B <b>,C <c>", true, "A,B,C", "a,b,c"},
        {"A <a>,A <a>,", true, "A,A,", "a,a,"},
    };
    for (const JoinCase& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        SCOPED_TRACE(testing::Message() << text.toUtf8().toPercentEncoding().constData()
                                        << (c.commaSeparated ? " commas" : " lines"));
        EXPECT_EQ(quorvell::detail::joinSenderField(text, SenderFieldName, c.commaSeparated),
                  QString::fromUtf8(c.names));
        EXPECT_EQ(quorvell::detail::joinSenderField(text, SenderFieldAddress, c.commaSeparated),
                  QString::fromUtf8(c.addresses));
    }
}

}  // namespace

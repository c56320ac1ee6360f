#pragma once
// The allocation-free core of the sender list rule, shared by SenderList.cpp and the
// clipboard copy. Views point into the caller's text and live no longer than it.

#include "addressbook/SenderList.h"

#include <QStringView>

#include <optional>

namespace quorvell::detail {

struct SenderEntryView {
    QStringView firstName;
    std::optional<QStringView> lastName;
    QStringView address;
    // firstName, then " " and lastName when present: always one contiguous piece of
    // the entry, so the name needs no joining.
    QStringView name;
};

// Calls visit(QStringView entry) for every entry of text, in order, at least once.
template <typename Visit>
void forEachSenderEntry(QStringView text, bool commaSeparated, Visit&& visit)
{
    const QChar* const data = text.data();
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i].unicode();
        if (commaSeparated) {
            if (c != u',')
                continue;
            visit(text.mid(start, i - start));
            start = i + 1;
        } else if (c == u'\r' || c == u'\n') {
            visit(text.mid(start, i - start));
            // "\r\n" is one break; "\n\r" is two.
            if (c == u'\r' && i + 1 < size && data[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    visit(text.mid(start));
}

// entry = words separated by single spaces; the last word is an address when it
// opens with "<" and closes with ">".
[[nodiscard]] inline SenderEntryView parseSenderEntryView(QStringView entry)
{
    const qsizetype lastSpace = entry.lastIndexOf(u' ');
    const QStringView last = lastSpace < 0 ? entry : entry.mid(lastSpace + 1);
    const bool bracketed = last.size() >= 2 && last.front() == u'<' && last.back() == u'>';
    if (!bracketed)
        return {last, std::nullopt, last, last};

    SenderEntryView result;
    result.address = last.mid(1, last.size() - 2);
    if (lastSpace < 0) {
        result.firstName = last;
        result.name = last;
        return result;
    }
    result.name = entry.left(lastSpace);
    // With lastSpace == 0 there is no earlier space (and lastIndexOf(-1) would search
    // the whole text).
    const qsizetype previousSpace = lastSpace > 0 ? entry.left(lastSpace).lastIndexOf(u' ') : -1;
    if (previousSpace < 0) {
        result.firstName = result.name;
    } else {
        result.firstName = entry.left(previousSpace);
        result.lastName = entry.mid(previousSpace + 1, lastSpace - previousSpace - 1);
    }
    return result;
}

// The wanted field of every entry, joined with "," or "\n"; n entries give exactly
// n - 1 separators. The buffer starts with room for 32000 characters.
[[nodiscard]] QString joinSenderField(QStringView text, SenderField field, bool commaSeparated);

}  // namespace quorvell::detail

#include "addressbook/SenderList.h"

#include "addressbook/SenderListParsing.h"

namespace quorvell {

QStringList splitSenderList(const QString& text, bool commaSeparated)
{
    QStringList entries;
    detail::forEachSenderEntry(text, commaSeparated,
                               [&](QStringView entry) { entries.append(entry.toString()); });
    return entries;
}

SenderEntry parseSenderEntry(const QString& entry)
{
    const detail::SenderEntryView view = detail::parseSenderEntryView(entry);
    SenderEntry result;
    result.firstName = view.firstName.toString();
    if (view.lastName)
        result.lastName = view.lastName->toString();
    result.address = view.address.toString();
    return result;
}

namespace detail {

QString joinSenderField(QStringView text, SenderField field, bool commaSeparated)
{
    constexpr qsizetype kInitialCapacity = 32000;
    QString output;
    output.reserve(kInitialCapacity);
    const QChar separator = commaSeparated ? u',' : u'\n';
    bool first = true;
    forEachSenderEntry(text, commaSeparated, [&](QStringView entry) {
        if (!first)
            output.append(separator);
        first = false;
        const SenderEntryView parsed = parseSenderEntryView(entry);
        output.append(field == SenderFieldAddress ? parsed.address : parsed.name);
    });
    return output;
}

}  // namespace detail
}  // namespace quorvell

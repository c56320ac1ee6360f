#include "addressbook/SenderList.h"

#include "addressbook/SenderListParsing.h"
#include "platform/desktop/Log.h"
#include "scripting/Clipboard.h"
#include "settings/Settings.h"

namespace quorvell {

// UseCommaDelimiter is read once: the same value cuts the list and joins the
// output, so a setting changed while a long list is parsed cannot give a text whose
// entries were cut by one rule and joined by the other, and the cost stays one
// settings read instead of one per entry.
bool copySenderField(const QString& text, SenderField field)
{
    platform::desktop::log(QStringLiteral("Parsing sender data..."));
    const bool commaSeparated = readUseCommaDelimiter();
    copyTextToClipboard(detail::joinSenderField(text, field, commaSeparated));
    return true;
}

}  // namespace quorvell

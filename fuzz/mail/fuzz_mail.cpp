// Reads arbitrary bytes as a message: every header property, the body text, the
// attachments, the source, and the same bytes as an HTML part, and as an address
// list and a selection file each read two ways, which must agree. Nothing may crash,
// hang or read out of bounds, and nothing may need a GUI application object.

#include "platform/mail/HeaderBlock.h"
#include "platform/mail/HtmlText.h"
#include "platform/mail/MessageBody.h"
#include "platform/mail/SelectionFile.h"

#include <cstddef>
#include <cstdint>

using platform::mail::HeaderBlock;
using platform::mail::MessageBody;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray message(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const HeaderBlock header(message.left(HeaderBlock::split(message).headerLength));
    qsizetype total = header.text("Subject").size() + header.identifier("Message-ID").size();
    for (const char* field : {"From", "To", "Cc", "Reply-To"}) {
        for (const auto& address : header.addresses(field))
            total += address.display().size();
    }
    total += header.dateTime("Date").isValid() ? 1 : 0;
    const MessageBody body(message);
    total += body.text().size() + body.attachments().size();
    total += MessageBody::sourceText(message).size();
    total += platform::mail::htmlToText(QString::fromUtf8(message)).size();
    // The fast reader of everyday address lists reads as KMime does.
    const QByteArray list = message.left(256);
    const auto addresses = HeaderBlock::parseAddressList(list);
    if (addresses != HeaderBlock::parseAddressListItemByItem(list))
        __builtin_trap();
    total += addresses.size();
    // The compact reader of selection files reads as the plain one does.
    const platform::mail::SelectionRecord record = platform::mail::parseSelection(message);
    const auto compact = platform::mail::CompactSelection::parse(message);
    const QVector<platform::mail::SelectedMessage> messages = compact.messages.all();
    if (record.version != compact.version || record.sourceKind != compact.sourceKind || record.root != compact.root
        || record.messages.size() != messages.size())
        __builtin_trap();
    for (qsizetype i = 0; i < messages.size(); ++i) {
        const auto& a = record.messages.at(i);
        const auto& b = messages.at(i);
        if (a.uniqueName != b.uniqueName || a.location != b.location || a.messageId != b.messageId)
            __builtin_trap();
    }
    return total < 0 ? -1 : 0;
}

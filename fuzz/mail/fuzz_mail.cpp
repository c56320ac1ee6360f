// Reads arbitrary bytes as a message: every header property and the body text.
// Nothing may crash, hang or read out of bounds.

#include "platform/mail/HeaderBlock.h"
#include "platform/mail/MessageBody.h"

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
    total += MessageBody::plainText(message).size();
    total += HeaderBlock::parseAddressList(message.left(256)).size();
    return total < 0 ? -1 : 0;
}

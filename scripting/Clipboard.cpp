#include "scripting/Clipboard.h"

#include "platform/applescript/LargeText.h"
#include "platform/pasteboard/Pasteboard.h"

namespace quorvell {

namespace pb = platform::pasteboard;

int copyTextToClipboard(const std::optional<QString>& text)
{
    // A lone surrogate (which UTF-8 cannot carry) becomes "?" rather than cutting
    // the text short there.
    return copyUtf8ToClipboard(text ? std::optional(platform::applescript::toUtf8Large(*text)) : std::nullopt);
}

int copyUtf8ToClipboard(const std::optional<QByteArray>& utf8)
{
    std::unique_ptr<pb::Pasteboard> pasteboard;
    const pb::OSStatus created = pb::Pasteboard::create(QString::fromLatin1(pb::kPasteboardClipboard), &pasteboard);
    if (created != pb::noErr)
        return created;
    // Cleared even without a text: a call without one leaves the clipboard empty.
    const pb::OSStatus cleared = pasteboard->clear();
    if (!utf8)
        return cleared;
    constexpr pb::PasteboardItemID kItem = 1;
    return pasteboard->putItemFlavor(kItem, QString::fromLatin1(pb::kUTTypeUTF8PlainText), *utf8,
                                     pb::kPasteboardFlavorNoFlags);
}

}  // namespace quorvell

#include "platform/pasteboard/ScriptClipboard.h"

#include "platform/applescript/Dictionary.h"
#include "platform/pasteboard/Pasteboard.h"

namespace platform::pasteboard {

namespace {

class PasteboardClipboard : public platform::applescript::ClipboardAccess {
public:
    std::optional<QString> text() override
    {
        std::unique_ptr<Pasteboard> pasteboard;
        std::size_t count = 0;
        QByteArray data;
        if (Pasteboard::create(QString::fromLatin1(kPasteboardClipboard), &pasteboard) != noErr
            || pasteboard->getItemCount(&count) != noErr || count == 0
            || pasteboard->copyItemFlavorData(1, QString::fromLatin1(kUTTypeUTF8PlainText), &data) != noErr)
            return std::nullopt;
        return QString::fromUtf8(data);
    }

    bool setText(const QString& text) override
    {
        std::unique_ptr<Pasteboard> pasteboard;
        if (Pasteboard::create(QString::fromLatin1(kPasteboardClipboard), &pasteboard) != noErr
            || pasteboard->clear() != noErr)
            return false;
        return pasteboard->putItemFlavor(1, QString::fromLatin1(kUTTypeUTF8PlainText), text.toUtf8(),
                                         kPasteboardFlavorNoFlags)
            == noErr;
    }
};

}  // namespace

void registerScriptClipboard()
{
    platform::applescript::registerClipboard(std::make_shared<PasteboardClipboard>());
}

}  // namespace platform::pasteboard

#include "platform/pasteboard/Pasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringList>

#ifdef QUORVELL_HAVE_KSYSTEMCLIPBOARD
#include <KSystemClipboard>
#endif

#include <array>
#include <utility>
#include <vector>

namespace platform::pasteboard {
namespace {

struct FlavorMapping {
    const char* flavor;
    // The MIME types the data goes out under; the first is the one read back first.
    std::array<const char*, 2> mimeTypes;
};

constexpr std::array<FlavorMapping, 3> kFlavors{{
    {kUTTypeUTF8PlainText, {"text/plain;charset=utf-8", "text/plain"}},
    {kUTTypeHTML, {"text/html", nullptr}},
    {kUTTypeRTF, {"text/rtf", "application/rtf"}},
}};

const FlavorMapping* flavorMapping(const QString& flavor)
{
    for (const FlavorMapping& mapping : kFlavors) {
        if (flavor == QLatin1String(mapping.flavor))
            return &mapping;
    }
    return nullptr;
}

bool useSystemClipboard()
{
#ifdef QUORVELL_HAVE_KSYSTEMCLIPBOARD
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
#else
    return false;
#endif
}

// The clipboard takes ownership of mime (nullptr clears it).
void setClipboardData(QMimeData* mime)
{
#ifdef QUORVELL_HAVE_KSYSTEMCLIPBOARD
    if (useSystemClipboard()) {
        if (mime)
            KSystemClipboard::instance()->setMimeData(mime, QClipboard::Clipboard);
        else
            KSystemClipboard::instance()->clear(QClipboard::Clipboard);
        return;
    }
#endif
    if (mime)
        QGuiApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);
    else
        QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
}

const QMimeData* clipboardData()
{
#ifdef QUORVELL_HAVE_KSYSTEMCLIPBOARD
    if (useSystemClipboard())
        return KSystemClipboard::instance()->mimeData(QClipboard::Clipboard);
#endif
    return QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
}

}  // namespace

struct Pasteboard::Private {
    bool owner = false;
    PasteboardItemID item = 0;  // 0: no item put since the clear
    QStringList flavors;
    std::vector<std::pair<QString, QByteArray>> formats;  // MIME type -> data, in order
};

Pasteboard::Pasteboard(std::unique_ptr<Private> p) : d(std::move(p)) { }

Pasteboard::~Pasteboard() = default;

OSStatus Pasteboard::create(const QString& name, std::unique_ptr<Pasteboard>* out)
{
    if (!out || name != QLatin1String(kPasteboardClipboard))
        return paramErr;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return coreFoundationUnknownErr;
    *out = std::unique_ptr<Pasteboard>(new Pasteboard(std::make_unique<Private>()));
    return noErr;
}

OSStatus Pasteboard::clear()
{
    setClipboardData(nullptr);
    d->owner = true;
    d->item = 0;
    d->flavors.clear();
    d->formats.clear();
    return noErr;
}

OSStatus Pasteboard::putItemFlavor(PasteboardItemID item, const QString& flavorType, const QByteArray& data,
                                   PasteboardFlavorFlags /*flags*/)
{
    if (!d->owner)
        return notPasteboardOwnerErr;
    if (item == 0 || (d->item != 0 && d->item != item))
        return badPasteboardItemErr;
    const FlavorMapping* mapping = flavorMapping(flavorType);
    if (!mapping)
        return badPasteboardFlavorErr;
    if (d->flavors.contains(flavorType))
        return duplicatePasteboardFlavorErr;

    d->item = item;
    d->flavors.append(flavorType);
    for (const char* mimeType : mapping->mimeTypes) {
        if (mimeType)
            d->formats.emplace_back(QString::fromLatin1(mimeType), data);
    }
    // A QMimeData cannot change once the clipboard owns it: hand over a fresh one
    // carrying every flavour of the item so far.
    auto* mime = new QMimeData;
    for (const auto& [type, bytes] : d->formats)
        mime->setData(type, bytes);
    setClipboardData(mime);
    return noErr;
}

OSStatus Pasteboard::getItemCount(std::size_t* count) const
{
    if (!count)
        return paramErr;
    const QMimeData* mime = clipboardData();
    *count = (mime && !mime->formats().isEmpty()) ? 1 : 0;
    return noErr;
}

OSStatus Pasteboard::copyItemFlavorData(std::size_t index, const QString& flavorType, QByteArray* data) const
{
    if (!data)
        return paramErr;
    std::size_t count = 0;
    (void)getItemCount(&count);
    if (index == 0 || index > count)
        return badPasteboardIndexErr;
    const FlavorMapping* mapping = flavorMapping(flavorType);
    if (!mapping)
        return badPasteboardFlavorErr;
    const QMimeData* mime = clipboardData();
    for (const char* mimeType : mapping->mimeTypes) {
        if (mimeType && mime->hasFormat(QLatin1String(mimeType))) {
            *data = mime->data(QLatin1String(mimeType));
            return noErr;
        }
    }
    // Another program's text may come only as the platform's text form.
    if (flavorType == QLatin1String(kUTTypeUTF8PlainText) && mime->hasText()) {
        *data = mime->text().toUtf8();
        return noErr;
    }
    return badPasteboardFlavorErr;
}

}  // namespace platform::pasteboard

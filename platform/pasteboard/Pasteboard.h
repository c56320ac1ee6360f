#pragma once
// The pasteboard service, in the manner of the platform's Pasteboard Manager:
// create a reference to a named pasteboard, clear it (which makes this process its
// owner), then put items, each carrying one or more flavours of data.
//
// Here the general clipboard is the desktop clipboard. A flavour is a type
// identifier ("public.utf8-plain-text") that maps to the MIME types the desktop
// understands; UTF-8 plain text goes out as "text/plain;charset=utf-8" and as
// "text/plain", so every paster finds it (X11 requestors asking for UTF8_STRING or
// STRING are served from "text/plain"). On Wayland the clipboard is reached through
// KSystemClipboard when the build has it, because QClipboard set from a window that
// has no keyboard focus (a tray menu) is dropped silently by the compositor.
//
// The desktop clipboard holds one item: a pasteboard accepts flavours for one item
// identifier after each clear, and refuses a second identifier.
//
// Every call returns a status: 0 (noErr) or one of the negative codes below.
// Nothing throws. The clipboard needs a QGuiApplication; without one, create fails.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

namespace platform::pasteboard {

using OSStatus = std::int32_t;
using PasteboardItemID = std::uintptr_t;
using PasteboardFlavorFlags = std::uint32_t;

inline constexpr OSStatus noErr = 0;
inline constexpr OSStatus paramErr = -50;                      // unknown pasteboard name
inline constexpr OSStatus coreFoundationUnknownErr = -4960;    // no clipboard to open
inline constexpr OSStatus badPasteboardIndexErr = -25131;      // no item at that index
inline constexpr OSStatus badPasteboardItemErr = -25132;       // item 0, or a second item
inline constexpr OSStatus badPasteboardFlavorErr = -25133;     // flavour not on the item / unknown
inline constexpr OSStatus duplicatePasteboardFlavorErr = -25134;
inline constexpr OSStatus notPasteboardOwnerErr = -25135;      // put before clear

inline constexpr PasteboardFlavorFlags kPasteboardFlavorNoFlags = 0;

// The general clipboard's name.
inline constexpr char kPasteboardClipboard[] = "com.apple.pasteboard.clipboard";

// Flavour type identifiers this pasteboard knows.
inline constexpr char kUTTypeUTF8PlainText[] = "public.utf8-plain-text";
inline constexpr char kUTTypeHTML[] = "public.html";
inline constexpr char kUTTypeRTF[] = "public.rtf";

class Pasteboard {
public:
    ~Pasteboard();
    Pasteboard(const Pasteboard&) = delete;
    Pasteboard& operator=(const Pasteboard&) = delete;

    // Opens the pasteboard of that name; only kPasteboardClipboard exists (paramErr
    // otherwise). coreFoundationUnknownErr when there is no QGuiApplication.
    // *out is set only on success; the caller owns it.
    [[nodiscard]] static OSStatus create(const QString& name, std::unique_ptr<Pasteboard>* out);

    // Empties the clipboard and takes ownership of it.
    OSStatus clear();

    // Adds one flavour to the item `item` (not 0). The clipboard shows the item at
    // once. notPasteboardOwnerErr before clear(); badPasteboardItemErr for a second
    // item; duplicatePasteboardFlavorErr when the item has that flavour already.
    OSStatus putItemFlavor(PasteboardItemID item, const QString& flavorType, const QByteArray& data,
                           PasteboardFlavorFlags flags);

    // What the clipboard holds now, whoever put it there: 0 or 1 item.
    OSStatus getItemCount(std::size_t* count) const;

    // The data of a flavour of the item at 1-based index.
    OSStatus copyItemFlavorData(std::size_t index, const QString& flavorType, QByteArray* data) const;

private:
    struct Private;
    explicit Pasteboard(std::unique_ptr<Private> d);
    std::unique_ptr<Private> d;
};

}  // namespace platform::pasteboard

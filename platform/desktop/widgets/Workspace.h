#pragma once
// Opening addresses with the desktop's handler (the default browser for http and
// https), as the platform's shared workspace does.

#include <QUrl>

#include <functional>

namespace platform::desktop {

// Hands url to the desktop's handler; false when none took it. Never blocks on the
// handler itself.
bool openURL(const QUrl& url);

// True when an application of the desktop says it opens addresses of this scheme
// ("appstream"): a desktop entry in the applications folders of XDG_DATA_HOME and
// XDG_DATA_DIRS lists x-scheme-handler/SCHEME among its MimeType, or a mimeapps.list
// names a default for it. The generic opener (xdg-open) would start with such an
// address even when nothing can take it, so a caller with a fallback asks first.
[[nodiscard]] bool hasSchemeHandler(const QString& scheme);

// Tests observe the addresses here instead of starting a browser; an empty function
// restores the desktop's handler. The observer's answer is openURL's answer.
using URLOpener = std::function<bool(const QUrl& url)>;
void setURLOpener(URLOpener opener);

}  // namespace platform::desktop

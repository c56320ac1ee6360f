#pragma once
// Opening addresses with the desktop's handler (the default browser for http and
// https), as the platform's shared workspace does.

#include <QUrl>

#include <functional>

namespace platform::desktop {

// Hands url to the desktop's handler; false when none took it. Never blocks on the
// handler itself.
bool openURL(const QUrl& url);

// Tests observe the addresses here instead of starting a browser; an empty function
// restores the desktop's handler. The observer's answer is openURL's answer.
using URLOpener = std::function<bool(const QUrl& url)>;
void setURLOpener(URLOpener opener);

}  // namespace platform::desktop

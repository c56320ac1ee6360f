#include "platform/desktop/widgets/Workspace.h"

#include <QDesktopServices>

namespace platform::desktop {
namespace {

URLOpener& opener()
{
    static URLOpener current;
    return current;
}

}  // namespace

void setURLOpener(URLOpener newOpener)
{
    opener() = std::move(newOpener);
}

bool openURL(const QUrl& url)
{
    if (!url.isValid())
        return false;
    if (opener())
        return opener()(url);
    return QDesktopServices::openUrl(url);
}

}  // namespace platform::desktop

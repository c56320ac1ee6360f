#pragma once
// Brings this process to the front: raises and activates its visible windows.

namespace platform::desktop {

void setFrontProcess();

}  // namespace platform::desktop

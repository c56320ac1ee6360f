// e2e-grabs-free: exits 0 when no client holds the pointer or keyboard grab (it
// takes both for an instant and gives them back), 1 while another client holds
// either, 2 when the display cannot be opened. A menu grabs both while it is open
// and gives them back some time after its window is unmapped; a click sent before
// that goes to the menu's owner as a click outside the menu, not to the icon.

#include <X11/Xlib.h>

#include <cstdio>

int main()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "e2e-grabs-free: cannot open the display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    const int pointer = XGrabPointer(display, root, False, ButtonPressMask, GrabModeAsync, GrabModeAsync, None,
                                     None, CurrentTime);
    const int keyboard = XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (pointer == GrabSuccess)
        XUngrabPointer(display, CurrentTime);
    if (keyboard == GrabSuccess)
        XUngrabKeyboard(display, CurrentTime);
    XCloseDisplay(display);
    return pointer == GrabSuccess && keyboard == GrabSuccess ? 0 : 1;
}

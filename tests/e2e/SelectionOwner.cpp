// e2e-selection-owner NAME: exits 0 and prints the owner window of the X selection
// NAME (for example _NET_SYSTEM_TRAY_S0) when it has one, 1 when not, 2 when the
// display cannot be opened. The tests wait on it for the tray host to be ready.

#include <X11/Xlib.h>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: e2e-selection-owner SELECTION\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "e2e-selection-owner: cannot open the display\n");
        return 2;
    }
    const Atom selection = XInternAtom(display, argv[1], False);
    const Window owner = XGetSelectionOwner(display, selection);
    XCloseDisplay(display);
    if (owner == None)
        return 1;
    std::printf("0x%lx\n", static_cast<unsigned long>(owner));
    return 0;
}

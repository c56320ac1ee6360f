#pragma once
// The application main: what the platform's start-up and its main interface file
// do. It makes the QApplication, the one AppController and the one preferences
// window controller, connects them, offers the commands on the session bus, and
// runs the event loop until the app quits.

namespace quorvell {

// Takes main's arguments unchanged and returns the process's exit status. --help
// and --version answer and return 0; without a display one line and 1. A second
// instance (the session-bus name is taken) prints one line and returns 0 without
// showing an icon.
int applicationMain(int argc, char* argv[]);

}  // namespace quorvell

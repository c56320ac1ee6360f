#pragma once
// The process's own connection to the D-Bus session bus, shared by the posting of
// distributed notifications and the desktop notifications.
//
// The bus is the one DBUS_SESSION_BUS_ADDRESS names, or else $XDG_RUNTIME_DIR/bus
// if that socket exists; with neither, nothing connects. Qt's own session bus would
// let libdbus fall back to X11 autolaunch, which starts a stray daemon wherever
// DISPLAY is set; this never does.

#include <QDBusConnection>

#include <optional>

namespace platform::notifications {

// Connected on first use and again after the bus went away; none when no bus is
// reachable.
[[nodiscard]] std::optional<QDBusConnection> sessionConnection();

}  // namespace platform::notifications

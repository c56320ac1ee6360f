#pragma once
// A per-user broadcast to other processes, carried as a signal on the D-Bus session
// bus with the notification's name and object as its two strings. Without a
// reachable session bus, posting does nothing and never blocks.
//
// On the bus: a signal from the path kNotificationPath, interface
// kNotificationInterface, member kNotificationMember, with two string arguments,
// the name and the object (empty when there is none). Listeners match on the
// interface and member:
//   dbus-monitor "type='signal',interface='com.brightfold.DistributedNotifications'"
//
// The bus is the one DBUS_SESSION_BUS_ADDRESS names, or else $XDG_RUNTIME_DIR/bus
// if that socket exists; with neither, nothing connects (so libdbus never starts a
// bus of its own for an X display). The signal is on the wire before posting
// returns, so a process may end right after it.

#include <QString>

namespace platform::notifications {

inline constexpr const char* kNotificationPath = "/com/brightfold/DistributedNotifications";
inline constexpr const char* kNotificationInterface = "com.brightfold.DistributedNotifications";
inline constexpr const char* kNotificationMember = "Posted";

void postDistributedNotification(const QString& name, const QString& object);

}  // namespace platform::notifications

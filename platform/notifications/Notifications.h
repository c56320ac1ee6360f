#pragma once
// A per-user broadcast to other processes, carried as a signal on the D-Bus session
// bus with the notification's name and object as its two strings. Without a
// reachable session bus, posting does nothing and never blocks.

#include <QString>

namespace platform::notifications {

void postDistributedNotification(const QString& name, const QString& object);

}  // namespace platform::notifications

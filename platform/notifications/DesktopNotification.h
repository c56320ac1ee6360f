#pragma once
// Desktop notifications: the small messages a desktop shows for a few seconds,
// through the notification service of the session bus (org.freedesktop.Notifications,
// the one that every Linux desktop runs or starts on demand).
//
// Showing never blocks: the call goes out and its answer is taken in by the event
// loop. Without a reachable bus, or with no notification service on it, nothing is
// shown and nothing is reported; a notification is feedback, never the only record
// of what happened (callers log as well).
//
// A notification may offer one action (a button such as "Open Folder"; clicking
// the notification itself counts too). The action runs on the thread that showed
// the notification, from its event loop, at most once; it is dropped when the
// notification closes.

#include <QString>

#include <functional>

namespace platform::notifications {

inline constexpr const char* kNotificationsService = "org.freedesktop.Notifications";
inline constexpr const char* kNotificationsPath = "/org/freedesktop/Notifications";
inline constexpr const char* kNotificationsInterface = "org.freedesktop.Notifications";
// The key under which the one action is offered.
inline constexpr const char* kActionKey = "open";

struct DesktopNotification {
    QString summary;
    QString body;  // plain text: "&", "<" and ">" show as written
    QString actionLabel;  // empty: no action
    std::function<void()> action;
};

void showDesktopNotification(DesktopNotification notification);

}  // namespace platform::notifications

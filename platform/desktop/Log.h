#pragma once
// The system log. Each line goes to standard error in the familiar form
// "2026-12-06 07:10:23.123 quorvell[4711] Parsing sender data..." and to syslog
// (so journalctl shows it). Lines carry no level and no prefix of their own.

#include <QString>

#include <functional>

namespace platform::desktop {

void log(const QString& message);

// Tests capture lines here; an empty function restores the default outputs.
// While a sink is set, nothing goes to standard error or syslog.
using LogSink = std::function<void(const QString& message)>;
void setLogSink(LogSink sink);

}  // namespace platform::desktop

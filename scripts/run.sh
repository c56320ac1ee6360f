#!/usr/bin/env bash
# Starts the freshly built app (make run). With a graphical session it starts as
# any desktop app does; without one it says so in one line and starts it on a
# virtual desktop (scripts/virtual-desktop.sh: Xvfb, a tray host, a private session
# bus), which prints what to do next. With no ~/Maildir and no $MAILDIR the app
# works on the bundled sample mailbox.
set -euo pipefail
build=${1:-build}
app=$build/app/quorvell
if [ ! -x "$app" ]; then
  echo "quorvell: no app at $app; build it first (make build)" >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "quorvell: no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set): starting a virtual desktop" >&2
  exec bash "$(dirname "$0")/virtual-desktop.sh" "$build"
fi
exec "$app"

#!/usr/bin/env bash
# Starts the freshly built app (make run). Without a graphical session it says so in
# one line and names the way to run it under a virtual display. With no ~/Maildir
# and no $MAILDIR the app works on the bundled sample mailbox.
set -euo pipefail
build=${1:-build}
app=$build/app/quorvell
if [ ! -x "$app" ]; then
  echo "quorvell: no app at $app; build it first (make build)" >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "quorvell: no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set); to run it on a virtual display with a tray: bash scripts/virtual-desktop.sh $build" >&2
  exit 1
fi
exec "$app"

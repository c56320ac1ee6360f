#!/usr/bin/env bash
# Starts the freshly built app. Without a graphical session it says so in one line.
set -euo pipefail
build=${1:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "quorvell: no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set); to try it under a virtual display run: bash scripts/virtual-desktop.sh $build" >&2
  exit 1
fi
exec "$build/app/quorvell"

#!/usr/bin/env bash
# Runs the app on a virtual X display (Xvfb) with a tray host (trayer), for a
# machine without a graphical session. Prints how to look at the screen and how to
# click the icon from another terminal; Ctrl-C (or "Quit" in the menu) ends
# everything it started.
#
#   bash scripts/virtual-desktop.sh [BUILD_DIR]     (default: build)
set -euo pipefail
build=${1:-build}
app=$build/app/quorvell
[ -x "$app" ] || { echo "virtual-desktop: no app at $app; build it first (make build)" >&2; exit 1; }
for tool in Xvfb trayer; do
  command -v "$tool" >/dev/null || { echo "virtual-desktop: $tool is missing; run: bash scripts/install-deps.sh" >&2; exit 1; }
done

# Without a session bus of its own the app would reach no bus (or make libdbus
# start a stray one): run everything inside a private one.
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && [ -z "${QUORVELL_VD_BUS:-}" ]; then
  QUORVELL_VD_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi

pids=()
work=$(mktemp -d "${TMPDIR:-/tmp}/quorvell-vd.XXXXXX")
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

: >"$work/display"
Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "virtual-desktop: Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
if [ -z "${XDG_RUNTIME_DIR:-}" ] || [ ! -d "$XDG_RUNTIME_DIR" ]; then
  export XDG_RUNTIME_DIR=$work/runtime
  mkdir -m 0700 "$XDG_RUNTIME_DIR"
fi

trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
  --transparent false --tint 0x303030 >"$work/trayer.log" 2>&1 &
pids+=($!)
# The icon finds the tray only once the host owns the tray selection.
owner=$build/tests/e2e/e2e-selection-owner
for _ in $(seq 1 100); do
  if [ -x "$owner" ]; then "$owner" _NET_SYSTEM_TRAY_S0 >/dev/null 2>&1 && break; else sleep 1; break; fi
  sleep 0.05
done

"$app" &
app_pid=$!
pids+=($app_pid)

cat <<INFO
Quorvell runs on the virtual display $DISPLAY (pid $app_pid), its icon in the tray at the top right.
  Screenshot:       DISPLAY=$DISPLAY import -window root quorvell-screen.png
  Click the icon:   DISPLAY=$DISPLAY xdotool mousemove 1268 12 click 1
  Walk the menu:    DISPLAY=$DISPLAY xdotool key Down Down Down Down Return
  Read clipboard:   DISPLAY=$DISPLAY xclip -o -selection clipboard
Ctrl-C here, or "Quit" in the menu, ends it all.
INFO
wait "$app_pid" || true

#!/usr/bin/env bash
# Runs the app on a virtual desktop for a machine without a graphical session: a
# virtual X display (Xvfb), a tray host (trayer) and a private session bus. Prints
# what a person can do next from another terminal (the display, the bus address,
# a bus call that runs "Copy Subject", reading the clipboard, a screenshot).
# Ctrl-C here, or "Quit" in the menu, ends everything it started.
#
#   bash scripts/virtual-desktop.sh [BUILD_DIR | PREFIX]
#
# BUILD_DIR is a build tree (default: build beside this script's folder); PREFIX is
# an installed tree (<PREFIX>/bin/quorvell). Installed, this script sits in
# <PREFIX>/share/quorvell and finds <PREFIX>/bin/quorvell by itself.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

find_app() {
  local where=$1
  if [ -x "$where/bin/quorvell" ]; then echo "$where/bin/quorvell"
  elif [ -x "$where/app/quorvell" ]; then echo "$where/app/quorvell"
  fi
}
if [ $# -gt 0 ]; then
  app=$(find_app "$1")
  [ -n "$app" ] || { echo "virtual-desktop: no quorvell in $1 (neither bin/quorvell nor app/quorvell)" >&2; exit 1; }
else
  app=$(find_app "$here/../..")
  [ -n "$app" ] || app=$(find_app "$here/../build")
  [ -n "$app" ] || { echo "virtual-desktop: no built app; build it first (make build) or name the build folder" >&2; exit 1; }
fi
app=$(cd "$(dirname "$app")" && pwd)/quorvell

for tool in Xvfb:xvfb trayer:trayer dbus-run-session:dbus; do
  command -v "${tool%%:*}" >/dev/null \
    || { echo "virtual-desktop: ${tool%%:*} is missing (Debian package ${tool#*:}); run: bash scripts/install-deps.sh" >&2; exit 1; }
done

# Everything runs inside a private session bus, so that the app's bus methods are
# reachable at an address printed below and nothing is left behind.
#
# The desktop runs in a session of its own, out of reach of the terminal's Ctrl-C:
# that reaches every process of the terminal's group at once, and the display
# would go before the app, which then reports a broken X11 connection. This part
# stays in front and hands an interrupt to the desktop's script, which stops the
# app first, then the tray and the display; the bus goes last, with its session.
#
# dbus-daemon started as root says that it could not raise its file limit, which
# means nothing to a person here: its standard error is filtered for that line
# (the desktop's script takes the terminal's own standard error back).
if [ -z "${QUORVELL_VD_BUS:-}" ]; then
  pidfile=$(mktemp "${TMPDIR:-/tmp}/quorvell-vd-pid.XXXXXX")
  exec 3>&2
  QUORVELL_VD_BUS=1 QUORVELL_VD_PIDFILE=$pidfile setsid --wait dbus-run-session -- bash "${BASH_SOURCE[0]}" "$@" \
    2> >(trap '' INT; exec grep --line-buffered -v 'Failed to set fd limit' >&3) &
  desktop=$!
  interrupted=0
  stop() {
    interrupted=1
    local script
    script=$(cat "$pidfile" 2>/dev/null || true)
    # Before the desktop's script has started there is no app to stop first.
    if [ -n "$script" ]; then kill -TERM "$script" 2>/dev/null || true
    else kill -TERM -- "-$desktop" 2>/dev/null || true
    fi
  }
  trap stop INT TERM
  status=0
  while kill -0 "$desktop" 2>/dev/null; do
    wait "$desktop" && status=0 || status=$?
  done
  rm -f "$pidfile"
  [ "$interrupted" = 0 ] || exit 130
  exit "$status"
fi
if [ -n "${QUORVELL_VD_PIDFILE:-}" ]; then
  echo $$ >"$QUORVELL_VD_PIDFILE"
  if { true >&3; } 2>/dev/null; then exec 2>&3 3>&-; fi
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

# wait_until SECONDS CMD... : retries CMD every 50 ms for at most SECONDS of real time.
wait_until() {
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

: >"$work/display"
Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_until 30 test -s "$work/display" || { echo "virtual-desktop: Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
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
# The app docks whenever the tray appears; waiting for the tray here only makes the
# icon show sooner, so a slow tray host delays the app by a few seconds at most.
tray_up() { xwininfo -root -tree 2>/dev/null | grep -q '"trayer"'; }
wait_until 5 tray_up || echo "virtual-desktop: the tray host is slow to start; the icon docks when it is up" >&2

"$app" &
app_pid=$!
pids+=($app_pid)

gdbus_call="gdbus call --session --dest com.brightfold.Quorvell --object-path /com/brightfold/Quorvell --method com.brightfold.Quorvell.CopySubject"
cat <<INFO
Quorvell runs on the virtual display $DISPLAY (pid $app_pid), its icon in the tray at the top right.
From another terminal:
  export DISPLAY=$DISPLAY DBUS_SESSION_BUS_ADDRESS='$DBUS_SESSION_BUS_ADDRESS'
  Copy Subject:   $gdbus_call
  The clipboard:  xclip -o -selection clipboard
  A screenshot:   import -window root quorvell-screen.png
  Click the icon: xdotool mousemove 1268 12 click 1   (then: xdotool key Down Down Down Down Return)
Ctrl-C here, or "Quit" in the menu, ends it all.
INFO
wait "$app_pid" || true

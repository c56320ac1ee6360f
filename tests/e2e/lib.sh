# Shared functions of the end-to-end tests: a real X server (Xvfb), a tray host
# (trayer), a private session bus, the app in a temporary home, and the keyboard
# and clipboard tools that a person's hands stand in for.
#
# A test script sources this file first thing. e2e_init re-runs the script inside
# dbus-run-session (a private bus that dies with the script), makes a temporary
# home, and arranges that every process started through this file is ended by its
# pid when the script exits, whatever happens. Artifacts (screenshots) go to
# $QUORVELL_BINARY_DIR/test-artifacts/<test name>/.
#
# Environment: QUORVELL_BINARY_DIR (the build tree, default ./build) and
# QUORVELL_SOURCE_DIR (default: two levels above this file).

set -euo pipefail

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
: "${QUORVELL_SOURCE_DIR:=$(cd "$E2E_LIB_DIR/../.." && pwd)}"
: "${QUORVELL_BINARY_DIR:=$QUORVELL_SOURCE_DIR/build}"
export QUORVELL_SOURCE_DIR QUORVELL_BINARY_DIR

E2E_PIDS=()
E2E_FAILURES=0

e2e_log() { echo "[$(date +%H:%M:%S.%3N)] $*" >&2; }
e2e_fail() { e2e_log "FAIL: $*"; E2E_FAILURES=$((E2E_FAILURES + 1)); }
e2e_die() { e2e_log "ERROR: $*"; exit 1; }

# Ends every process started through e2e_spawn, newest first, by its pid.
e2e_cleanup() {
    local i pid
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${E2E_PIDS[i]}
        if kill -0 "$pid" 2>/dev/null; then
            kill -TERM "$pid" 2>/dev/null || true
            for _ in $(seq 1 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
            kill -KILL "$pid" 2>/dev/null || true
        fi
        wait "$pid" 2>/dev/null || true
    done
    E2E_PIDS=()
    if [ -n "${E2E_TMP:-}" ] && [ -d "$E2E_TMP" ]; then rm -rf "$E2E_TMP"; fi
}

# e2e_spawn LOGFILE CMD ARGS... : starts CMD in the background, output to LOGFILE;
# sets E2E_LAST_PID.
e2e_spawn() {
    local logfile=$1; shift
    "$@" >"$logfile" 2>&1 &
    E2E_LAST_PID=$!
    E2E_PIDS+=("$E2E_LAST_PID")
}

# e2e_wait_for SECONDS CMD ARGS... : retries CMD every 50 ms until it succeeds.
e2e_wait_for() {
    local seconds=$1; shift
    local tries=$((seconds * 20))
    for ((n = 0; n < tries; n++)); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.05
    done
    return 1
}

# e2e_init TEST_NAME "$@" : call first. Re-executes the script under a private bus.
e2e_init() {
    E2E_NAME=$1; shift
    if [ -z "${E2E_IN_PRIVATE_BUS:-}" ]; then
        command -v dbus-run-session >/dev/null || e2e_die "dbus-run-session is missing (package dbus)"
        E2E_IN_PRIVATE_BUS=1 exec dbus-run-session -- bash "$0" "$@"
    fi
    for tool in Xvfb trayer xdotool xclip xprop xwininfo import; do
        command -v "$tool" >/dev/null || e2e_die "$tool is missing (scripts/install-deps.sh installs it)"
    done
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
    E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/quorvell-e2e.XXXXXX")
    E2E_ARTIFACTS=$QUORVELL_BINARY_DIR/test-artifacts/$E2E_NAME
    mkdir -p "$E2E_ARTIFACTS"
    export HOME=$E2E_TMP/home
    export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
    export XDG_RUNTIME_DIR=$E2E_TMP/runtime
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
    chmod 0700 "$XDG_RUNTIME_DIR"
    # The app must meet neither a desktop's tray protocol over the bus nor its theme.
    unset WAYLAND_DISPLAY XDG_CURRENT_DESKTOP DESKTOP_SESSION QT_QPA_PLATFORMTHEME QT_QPA_PLATFORM \
          SESSION_MANAGER XAUTHORITY || true
    export QT_QPA_PLATFORM=xcb
    E2E_APP=${QUORVELL_APP:-$QUORVELL_BINARY_DIR/app/quorvell}
    E2E_TOOLS=$QUORVELL_BINARY_DIR/tools
    [ -x "$E2E_APP" ] || e2e_die "no app at $E2E_APP (build the target quorvell)"
}

# Starts Xvfb on a display it picks itself (-displayfd: no race with other tests).
e2e_start_x() {
    local fifo=$E2E_TMP/displayfd
    : >"$fifo"
    e2e_spawn "$E2E_TMP/xvfb.log" Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp -noreset 5>"$fifo"
    e2e_wait_for 10 test -s "$fifo" || e2e_die "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
    export DISPLAY=":$(tr -d '[:space:]' <"$fifo")"
    e2e_wait_for 10 xprop -root _NET_SUPPORTED || e2e_die "display $DISPLAY does not answer"
    e2e_log "X server on $DISPLAY"
}

# Starts the tray host and waits until it owns the tray selection of screen 0.
e2e_start_tray() {
    e2e_spawn "$E2E_TMP/trayer.log" trayer --edge top --align right --widthtype request --height 24 \
        --SetDockType true --transparent false --tint 0x303030
    e2e_wait_for 10 "$QUORVELL_BINARY_DIR/tests/e2e/e2e-selection-owner" _NET_SYSTEM_TRAY_S0 \
        || e2e_die "the tray host did not take _NET_SYSTEM_TRAY_S0: $(cat "$E2E_TMP/trayer.log")"
}

# e2e_app_window PROPERTY PATTERN [SEARCH-OPTION] : the first app window whose
# PROPERTY matches PATTERN.
e2e_app_window() {
    local id
    for id in $(xdotool search ${3:-} --classname quorvell 2>/dev/null || true); do
        if xprop -id "$id" "$1" 2>/dev/null | grep -q "$2"; then echo "$id"; return 0; fi
    done
    return 1
}
# e2e_window_of_type TYPE : the first mapped app window of that _NET_WM_WINDOW_TYPE
# (POPUP_MENU, TOOLTIP, NORMAL, DIALOG).
e2e_window_of_type() { e2e_app_window _NET_WM_WINDOW_TYPE "_NET_WM_WINDOW_TYPE_$1" --onlyvisible; }
# The tray icon: the app's window that the tray host has embedded.
e2e_tray_icon() { e2e_app_window _XEMBED_INFO "_XEMBED_INFO(_XEMBED_INFO)"; }

# e2e_start_app [ARGS...] : starts the app and waits until its icon sits in the tray.
e2e_start_app() {
    e2e_spawn "$E2E_TMP/app.log" "$E2E_APP" "$@"
    E2E_APP_PID=$E2E_LAST_PID
    e2e_wait_for 20 e2e_tray_icon || { e2e_show_app_log; e2e_die "the app's icon did not reach the tray"; }
    E2E_ICON=$(e2e_tray_icon)
    e2e_log "app pid $E2E_APP_PID, icon window $E2E_ICON"
}

e2e_show_app_log() { e2e_log "app output:"; sed 's/^/    /' "$E2E_TMP/app.log" >&2 || true; }

# True when no menu of the app is mapped and no client holds a grab: the state in
# which a click on the icon reaches the icon.
e2e_menu_gone() { ! e2e_window_of_type POPUP_MENU >/dev/null && "$QUORVELL_BINARY_DIR/tests/e2e/e2e-grabs-free"; }

# True when the tray icon's window is mapped and viewable.
e2e_icon_mapped() { xwininfo -id "$E2E_ICON" 2>/dev/null | grep -q 'Map State: IsViewable'; }

# e2e_open_menu [BUTTON] : clicks the tray icon (default: the left button) and waits
# for the menu window; sets E2E_MENU to its id. It clicks as soon as the icon can
# take the click (no menu, no grab, icon mapped) and does not wait beyond that: a
# quick click is what a person does too.
e2e_open_menu() {
    e2e_wait_for 10 e2e_menu_gone || e2e_die "a menu or a grab is still there before the click"
    e2e_wait_for 10 e2e_icon_mapped || e2e_die "the tray icon is not mapped"
    # A click the X server gives while the app is still busy (a sanitized build
    # on a loaded machine, rebuilding its menu) can be lost: a click is tried
    # again while no menu has shown, three times at most.
    local tries
    for tries in 1 2 3; do
        xdotool mousemove --window "$E2E_ICON" 8 8 click "${1:-1}"
        e2e_wait_for 8 e2e_window_of_type POPUP_MENU && break
    done
    e2e_window_of_type POPUP_MENU >/dev/null || { e2e_show_app_log; e2e_die "no menu opened"; }
    E2E_MENU=$(e2e_window_of_type POPUP_MENU)
}

# Height in pixels of a window.
e2e_window_height() { xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p'; }

# e2e_choose N : with the menu open, walks down to its N-th item (separators are
# skipped by the menu itself) and picks it; waits for the menu to close.
e2e_choose() {
    local n=$1
    for ((i = 0; i < n; i++)); do xdotool key --clearmodifiers Down; done
    xdotool key --clearmodifiers Return
    e2e_wait_for 10 e2e_menu_gone || e2e_die "the menu did not close"
}

# Closes the open menu without choosing.
e2e_close_menu() {
    xdotool key --clearmodifiers Escape
    e2e_wait_for 10 e2e_menu_gone || e2e_die "Escape did not close the menu"
}

# The clipboard's text as another process reads it (the app must still run: the
# clipboard empties when its owner quits).
e2e_clipboard() { timeout 5 xclip -o -selection clipboard 2>/dev/null || true; }

# e2e_wait_clipboard EXPECTED : waits up to 15 s for the clipboard to hold EXPECTED.
e2e_wait_clipboard() {
    local expected=$1
    for _ in $(seq 1 150); do
        [ "$(e2e_clipboard)" = "$expected" ] && return 0
        sleep 0.1
    done
    return 1
}

# e2e_screenshot NAME : the whole screen as NAME.png in the artifacts folder.
e2e_screenshot() {
    import -window root "$E2E_ARTIFACTS/$1.png" && e2e_log "screenshot $E2E_ARTIFACTS/$1.png"
}

# e2e_install PREFIX : `cmake --install` of the build into PREFIX.
e2e_install() {
    cmake --install "$QUORVELL_BINARY_DIR" --prefix "$1" >"$1.log" 2>&1 || { cat "$1.log" >&2; e2e_die "cmake --install failed"; }
}

# e2e_tool NAME : the path of a command-line tool of the build, or nothing.
e2e_tool() { find "$E2E_TOOLS" -name "$1" -type f -perm -u+x 2>/dev/null | head -n 1; }

# e2e_defaults ARGS... : the preference tool, as another process.
e2e_defaults() {
    local tool; tool=$(e2e_tool quorvell-defaults)
    [ -n "$tool" ] || e2e_die "quorvell-defaults is not built"
    "$tool" "$@"
}

# Ends the test: non-zero exit when any check failed.
e2e_finish() {
    if [ "$E2E_FAILURES" -gt 0 ]; then
        e2e_show_app_log
        e2e_log "$E2E_NAME: $E2E_FAILURES check(s) failed"
        exit 1
    fi
    e2e_log "$E2E_NAME: passed"
}

# ---- Bus tray (StatusNotifierItem with its menu over DBusMenu) and Wayland ----

# e2e_require TOOL PACKAGE : ends the test, naming the Debian package, when TOOL is missing.
e2e_require() {
    command -v "$1" >/dev/null || e2e_die "$1 is missing: install the Debian package $2 (scripts/install-deps.sh does)"
}

# e2e_drop_root ARGS... : first thing in a test that must run unprivileged (sway refuses
# root). As root it installs the build into a temporary prefix that uid 65534 can read
# (the build tree need not be), runs this script again as uid and gid 65534 with the
# app and tools from there, and exits with its status. As anyone else it returns.
e2e_drop_root() {
    [ "$(id -u)" = 0 ] || return 0
    e2e_require setpriv util-linux
    local stage status=0
    stage=$(mktemp -d /tmp/quorvell-e2e-stage.XXXXXX)
    E2E_STAGE=$stage
    trap 'rm -rf "$E2E_STAGE"' EXIT
    trap 'exit 130' INT TERM
    chmod 0755 "$stage"
    e2e_install "$stage/prefix"
    mkdir -p "$stage/build/tools" "$stage/e2e"
    cp "$stage"/prefix/bin/quorvell-* "$stage/build/tools/"
    cp "$E2E_LIB_DIR/lib.sh" "$0" "$stage/e2e/"
    mkdir -p "$stage/build/tests/e2e"
    cp "$QUORVELL_BINARY_DIR"/tests/e2e/e2e-* "$stage/build/tests/e2e/" 2>/dev/null || true
    chown -R 65534:65534 "$stage/build"
    setpriv --reuid=65534 --regid=65534 --clear-groups \
        env QUORVELL_BINARY_DIR="$stage/build" QUORVELL_APP="$stage/prefix/bin/quorvell" TMPDIR=/tmp \
        bash "$stage/e2e/$(basename "$0")" "$@" || status=$?
    exit "$status"
}

# Two messages in ~/Maildir, selected in this order; their subjects and sender
# addresses, lines joined by "|" as e2e_wait_text compares them:
E2E_SUBJECTS='First over the bus|Второе письмо'
E2E_SENDER_ADDRESSES='ann@example.com|bob@example.org'
e2e_select_two_messages() {
    local maildir=$HOME/Maildir state=$HOME/.local/state/quorvell/mail unique from subject
    unset MAILDIR
    mkdir -p "$maildir/cur" "$maildir/new" "$maildir/tmp" "$state"
    : >"$state/selection"
    while IFS='|' read -r unique from subject; do
        printf 'From: %s\r\nTo: Kestrin <kestrin@example.com>\r\nSubject: %s\r\nDate: Sun, 06 Dec 2026 07:10:23 +0000\r\nMessage-ID: <%s@example.com>\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nHello.\r\n' \
            "$from" "$subject" "$unique" >"$maildir/cur/$unique:2,S"
        echo "$unique" >>"$state/selection"
    done <<'MESSAGES'
1700000001.a.e2e|Ann Lee <ann@example.com>|First over the bus
1700000002.b.e2e|Bob Stone <bob@example.org>|Второе письмо
MESSAGES
}

# e2e_wait_text EXPECTED CMD ARGS... : waits up to 15 s for CMD's output, carriage
# returns dropped and lines joined by "|", to be EXPECTED; logs the last output if not.
e2e_wait_text() {
    local expected=$1 got=""; shift
    for _ in $(seq 1 150); do
        got=$("$@" 2>/dev/null | tr -d '\r' | paste -sd '|') || true
        [ "$got" = "$expected" ] && return 0
        sleep 0.1
    done
    e2e_log "got [$got], expected [$expected]"
    return 1
}

# e2e_bus_call DEST PATH INTERFACE.METHOD ARGS... : one method call on the session bus.
e2e_bus_call() {
    local dest=$1 path=$2 method=$3; shift 3
    timeout 10 gdbus call --session --dest "$dest" --object-path "$path" --method "$method" -- "$@"
}

# e2e_app_method METHOD : calls a command of the app's own service.
e2e_app_method() {
    e2e_bus_call com.brightfold.Quorvell /com/brightfold/Quorvell "com.brightfold.Quorvell.$1" >/dev/null
}

e2e_watcher_property() {
    e2e_bus_call org.kde.StatusNotifierWatcher /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get \
        org.kde.StatusNotifierWatcher "$1"
}

# Starts the watcher of status items and registers a host with it, as a panel does;
# Qt offers its bus tray only while a host is registered, and looks once, at start.
e2e_start_sni_watcher() {
    e2e_require status-notifier-watcher haskell-status-notifier-item-utils
    e2e_spawn "$E2E_TMP/watcher.log" status-notifier-watcher
    e2e_wait_for 10 e2e_watcher_property ProtocolVersion || e2e_die "the watcher does not answer: $(cat "$E2E_TMP/watcher.log")"
    e2e_bus_call org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.kde.StatusNotifierWatcher.RegisterStatusNotifierHost "org.kde.StatusNotifierHost-$$" >/dev/null
    e2e_wait_for 10 e2e_sni_host_registered || e2e_die "the host did not register"
}
e2e_sni_host_registered() { e2e_watcher_property IsStatusNotifierHostRegistered | grep -q true; }

# The app's item among those the watcher lists: "BUS-NAME OBJECT-PATH". An entry is a
# bus name, optionally followed by the object path (default /StatusNotifierItem).
e2e_sni_item_of_app() {
    local entry name path pid
    for entry in $(e2e_watcher_property RegisteredStatusNotifierItems | grep -o "'[^']*'" | tr -d "'"); do
        name=${entry%%/*}
        path=/${entry#*/}
        [ "$path" = "/$entry" ] && path=/StatusNotifierItem
        pid=$(e2e_bus_call org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.GetConnectionUnixProcessID "$name" 2>/dev/null | sed -n 's/^(uint32 \([0-9]*\),)$/\1/p')
        if [ "$pid" = "$E2E_APP_PID" ]; then
            echo "$name $path"
            return 0
        fi
    done
    return 1
}

# e2e_start_sni_app [ARGS...] : starts the app and waits for the watcher to list its
# item; sets E2E_APP_PID, E2E_ITEM and E2E_ITEM_PATH.
e2e_start_sni_app() {
    e2e_spawn "$E2E_TMP/app.log" "$E2E_APP" "$@"
    E2E_APP_PID=$E2E_LAST_PID
    e2e_wait_for 20 e2e_sni_item_of_app || { e2e_show_app_log; e2e_die "the watcher lists no item of the app"; }
    read -r E2E_ITEM E2E_ITEM_PATH < <(e2e_sni_item_of_app)
    e2e_log "app pid $E2E_APP_PID, item $E2E_ITEM$E2E_ITEM_PATH"
}

# e2e_sni_property NAME : a property of the app's item.
e2e_sni_property() {
    e2e_bus_call "$E2E_ITEM" "$E2E_ITEM_PATH" org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem "$1"
}

# What a host does when the user clicks the item: AboutToShow on the menu's root,
# then GetLayout. Sets E2E_SNI_MENU to the entries, one "ID<TAB>LABEL" a line, a
# separator's label being "-".
e2e_sni_open_menu() {
    local layout
    E2E_SNI_MENU_PATH=$(e2e_sni_property Menu | grep -o "'/[^']*'" | tr -d "'")
    [ -n "$E2E_SNI_MENU_PATH" ] || e2e_die "the item has no menu"
    e2e_bus_call "$E2E_ITEM" "$E2E_SNI_MENU_PATH" com.canonical.dbusmenu.AboutToShow 0 >/dev/null \
        || e2e_die "AboutToShow failed"
    layout=$(e2e_bus_call "$E2E_ITEM" "$E2E_SNI_MENU_PATH" com.canonical.dbusmenu.GetLayout 0 -1 '[]') \
        || e2e_die "GetLayout failed"
    # Each child reads <(ID, {PROPERTIES}, [...])>; no property value holds a brace.
    E2E_SNI_MENU=$(grep -oP '<\(\K[0-9]+, \{[^}]*\}' <<<"$layout" | sed -E \
        -e "s/^([0-9]+), .*'type': <'separator'>.*/\1\t-/" \
        -e "s/^([0-9]+), .*'label': <'([^']*)'>.*/\1\t\2/")
}

# The labels of E2E_SNI_MENU joined by "|".
e2e_sni_labels() { cut -f2 <<<"$E2E_SNI_MENU" | paste -sd '|'; }

# e2e_sni_click LABEL : sends "clicked" for the entry LABEL of the menu as last opened.
e2e_sni_click() {
    local id
    id=$(awk -F'\t' -v label="$1" '$2 == label { print $1; exit }' <<<"$E2E_SNI_MENU")
    [ -n "$id" ] || e2e_die "no entry \"$1\" in the menu"
    e2e_bus_call "$E2E_ITEM" "$E2E_SNI_MENU_PATH" com.canonical.dbusmenu.Event "$id" clicked '<0>' 0 >/dev/null \
        || e2e_fail "the click on \"$1\" was refused"
}

# Starts a headless sway (its one virtual output, no input devices, no X server) as a
# Wayland desktop and points Qt and the clipboard tools at it.
e2e_start_sway() {
    e2e_require sway sway
    e2e_require wl-paste wl-clipboard
    dpkg-query -W -f='${Status}' qtwayland5 2>/dev/null | grep -q 'ok installed' \
        || e2e_die "Qt's Wayland plugin is missing: install the Debian package qtwayland5 (scripts/install-deps.sh does)"
    printf 'xwayland disable\n' >"$E2E_TMP/sway.config"
    e2e_spawn "$E2E_TMP/sway.log" env WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        sway --config "$E2E_TMP/sway.config"
    e2e_wait_for 10 compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" \
        || e2e_die "sway did not start: $(cat "$E2E_TMP/sway.log")"
    local socket
    socket=$(cd "$XDG_RUNTIME_DIR" && compgen -G 'wayland-[0-9]*' | grep -v '\.lock$' | head -n 1)
    [ -n "$socket" ] || e2e_die "sway offers no Wayland socket"
    export WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland
    unset DISPLAY
    e2e_log "sway on $WAYLAND_DISPLAY"
}

#!/usr/bin/env bash
# The preferences window on a real X server: "Preferences..." opens it, unticking
# "Copy Subject" from the keyboard stores that one key at once and the menu drops
# the item at its next opening; closing the window stores all 25 keys and announces
# "Preferences Changed" on the session bus; opening it again shows the states the
# user left. Screenshots of the window go to the artifacts.
source "$(dirname "$0")/lib.sh"
e2e_init preferences "$@"
e2e_start_x
e2e_start_tray

announcements=$E2E_TMP/announcements.log
e2e_spawn "$announcements" dbus-monitor --session \
    "type='signal',interface='com.brightfold.DistributedNotifications',member='Posted'"
e2e_start_app

e2e_stored() { e2e_defaults read com.brightfold.Quorvell "$@" 2>/dev/null || true; }
e2e_stored_count() { e2e_stored | grep -c ' = ' || true; }
e2e_announced() { grep -c '"Preferences Changed"' "$announcements" || true; }

# "Preferences..." is the item above "Quit", the last one: Up from the top wraps.
e2e_open_preferences() {
    e2e_open_menu
    xdotool key --clearmodifiers Up Up Return
    e2e_wait_for 10 e2e_window_of_type NORMAL || { e2e_show_app_log; e2e_die "no preferences window"; }
    E2E_PREFS=$(e2e_window_of_type NORMAL)
    # Keys typed next must reach the window: wait until it has the input focus.
    e2e_wait_for 10 bash -c '[ "$(xdotool getwindowfocus 2>/dev/null)" = "$0" ]' "$E2E_PREFS" \
        || e2e_die "the preferences window did not get the focus"
}

e2e_open_menu
full_height=$(e2e_window_height "$E2E_MENU")
e2e_close_menu

e2e_open_preferences
e2e_screenshot preferences-opened
[ "$(e2e_stored_count)" = 0 ] || e2e_fail "opening the window stored something: $(e2e_stored)"

# The tab bar has the focus first; the next two stops are "Copy Content" and
# "Copy Subject".
xdotool key --clearmodifiers Tab Tab space
e2e_wait_for 5 bash -c '[ "$("$0" read com.brightfold.Quorvell IncludeSubject 2>/dev/null)" = 0 ]' \
    "$(e2e_tool quorvell-defaults)" || true
[ "$(e2e_stored IncludeSubject)" = 0 ] || e2e_fail "unticking Copy Subject did not store IncludeSubject = 0 (have: $(e2e_stored))"
[ "$(e2e_stored_count)" = 1 ] || e2e_fail "a click stored more than its key: $(e2e_stored)"
[ "$(e2e_announced)" = 0 ] || e2e_fail "a click announced a change"
e2e_screenshot preferences-subject-off

# The menu drops the item at its next opening, the window still open.
e2e_open_menu
[ "$(e2e_window_height "$E2E_MENU")" -lt "$full_height" ] || e2e_fail "Copy Subject is still in the menu"
e2e_screenshot menu-without-subject
e2e_close_menu

# Ctrl+W closes the window: the full save and one announcement.
xdotool windowfocus --sync "$E2E_PREFS" 2>/dev/null || true
xdotool key --clearmodifiers ctrl+w
e2e_wait_for 5 bash -c "! xdotool search --onlyvisible --classname quorvell 2>/dev/null | grep -qx $E2E_PREFS" \
    || e2e_fail "Ctrl+W did not close the preferences window"
e2e_wait_for 5 bash -c "grep -q '\"Preferences Changed\"' '$announcements'" || true
[ "$(e2e_stored_count)" = 25 ] || e2e_fail "the close did not store all 25 keys: $(e2e_stored)"
[ "$(e2e_stored IncludeSubject)" = 0 ] || e2e_fail "the close lost IncludeSubject = 0"
[ "$(e2e_announced)" = 1 ] || e2e_fail "\"Preferences Changed\" announced $(e2e_announced) times, not once"

# Opened again, the window shows what the user left, even against another process.
e2e_defaults write com.brightfold.Quorvell IncludeSubject -bool true
e2e_open_preferences
e2e_screenshot preferences-reopened
xdotool key --clearmodifiers Escape
e2e_wait_for 5 bash -c "! xdotool search --onlyvisible --classname quorvell 2>/dev/null | grep -qx $E2E_PREFS" \
    || e2e_fail "Escape did not close the preferences window"
e2e_wait_for 10 bash -c '[ "$("$0" read com.brightfold.Quorvell IncludeSubject 2>/dev/null)" = 0 ]' \
    "$(e2e_tool quorvell-defaults)" || true
[ "$(e2e_stored IncludeSubject)" = 0 ] || e2e_fail "the second close did not store the window's IncludeSubject = 0"

e2e_open_menu
xdotool key --clearmodifiers Up Return
e2e_wait_for 10 bash -c "! kill -0 $E2E_APP_PID" || e2e_fail "Quit did not end the app"
e2e_finish

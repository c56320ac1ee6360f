#!/usr/bin/env bash
# The tray menu on a real X server: the icon reaches the tray, a left click opens
# the menu (screenshot), a setting written by another process changes the menu at
# its next opening, and "Quit" ends the app.
source "$(dirname "$0")/lib.sh"
e2e_init menu "$@"
e2e_start_x
e2e_start_tray
e2e_start_app

e2e_open_menu
full_height=$(e2e_window_height "$E2E_MENU")
# Hover "Copy Subject" (the fourth item, the second after the first separator) so
# that its tool tip shows in the picture; a command item has one.
xdotool mousemove --window "$E2E_MENU" 60 88
e2e_wait_for 5 e2e_window_of_type TOOLTIP || e2e_fail "no tool tip over a command item"
e2e_screenshot menu-full
e2e_close_menu

e2e_open_menu
[ "$(e2e_window_height "$E2E_MENU")" = "$full_height" ] || e2e_fail "the menu changed between two openings"
e2e_close_menu

e2e_defaults write com.brightfold.Quorvell IncludeSubject -bool false
e2e_open_menu
one_off_height=$(e2e_window_height "$E2E_MENU")
e2e_screenshot menu-without-subject
e2e_close_menu
[ "$one_off_height" -lt "$full_height" ] \
    || e2e_fail "IncludeSubject=false from another process did not shorten the menu ($one_off_height vs $full_height)"

e2e_defaults write com.brightfold.Quorvell IncludeSubject -bool true
# A right click opens the same menu, rebuilt as well.
xdotool mousemove --window "$E2E_ICON" 8 8 click 3
e2e_wait_for 10 e2e_window_of_type POPUP_MENU || e2e_fail "a right click opened no menu"
right_menu=$(e2e_window_of_type POPUP_MENU || true)
[ -n "$right_menu" ] && [ "$(e2e_window_height "$right_menu")" = "$full_height" ] \
    || e2e_fail "the right-click menu is not the full menu"
e2e_close_menu

e2e_open_menu
[ "$(e2e_window_height "$E2E_MENU")" = "$full_height" ] || e2e_fail "IncludeSubject=true did not bring the item back"

# "Quit" is the last item: Up from the top wraps to it.
xdotool key --clearmodifiers Up Return
e2e_wait_for 10 bash -c "! kill -0 $E2E_APP_PID" || e2e_fail "Quit did not end the app"
e2e_finish

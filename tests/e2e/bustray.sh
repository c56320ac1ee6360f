#!/usr/bin/env bash
# The tray over the bus (a status item with its menu over DBusMenu), the way most
# panels host it now, on a real X server: the watcher lists the app's item with its
# title, icon name and pixels; every opening (AboutToShow, then GetLayout) shows the
# settings of that moment, also one written by another process between two
# openings; a click on "Copy Subject" fills the clipboard, "Preferences..." opens the
# window and "Quit" ends the app.
source "$(dirname "$0")/lib.sh"
e2e_init bustray "$@"
e2e_select_two_messages
e2e_start_x
e2e_start_sni_watcher
e2e_start_sni_app

[ "$(e2e_sni_property Title)" = "(<'Quorvell'>,)" ] || e2e_fail "the title is $(e2e_sni_property Title)"
# The name the installed hicolor icons carry, and pixels (some not transparent) for
# hosts whose theme lacks it.
[ "$(e2e_sni_property IconName)" = "(<'quorvell'>,)" ] || e2e_fail "the icon name is $(e2e_sni_property IconName)"
e2e_sni_property IconPixmap | grep -q '\[byte .*0x[1-9a-f]' || e2e_fail "the item carries no icon pixels"

full='View in Brightfold Website...|View in Software Center...|-|Copy Content|Copy Subject|Copy Reply To'
full+='|Copy Sender|Copy Sender Name|Copy Sender Address|Copy Recipient|Copy Recipient Name'
full+='|Copy Recipient Address|Copy Header Message ID|Copy Mail Message ID|Copy All Headers'
full+='|Copy All Headers and Content|Copy Date|Copy Time|Copy Summary|Copy Source'
full+='|Add Recipient to Address Book|Add Sender to Address Book|-|Preferences...|-|Quit'
# check_menu WHAT EXPECTED : opens the menu and compares its labels.
check_menu() {
    e2e_sni_open_menu
    [ "$(e2e_sni_labels)" = "$2" ] || e2e_fail "$1: the menu holds [$(e2e_sni_labels)]"
}
check_menu "first opening" "$full"
check_menu "second opening" "$full"
e2e_defaults write com.brightfold.Quorvell IncludeSubject -bool false
check_menu "IncludeSubject=false" "${full/|Copy Subject/}"
e2e_defaults write com.brightfold.Quorvell IncludeSubject -bool true
check_menu "IncludeSubject=true" "$full"

e2e_sni_click "Copy Subject"
e2e_wait_text "$E2E_SUBJECTS" e2e_clipboard || e2e_fail "Copy Subject did not reach the clipboard"

e2e_sni_open_menu
e2e_sni_click "Preferences..."
e2e_wait_for 10 e2e_window_of_type NORMAL || e2e_fail "Preferences... opened no window"

e2e_sni_open_menu
e2e_sni_click Quit
e2e_wait_for 10 bash -c "! kill -0 $E2E_APP_PID" || e2e_fail "Quit did not end the app"
e2e_finish

#!/usr/bin/env bash
# The app on a Wayland desktop: a headless sway run by an unprivileged user (sway
# refuses root), the app on Qt's Wayland platform. "Copy Subject" and "Copy Sender
# Address" called over the bus reach the clipboard that another client (wl-paste)
# reads while the app runs; the tray menu opens over the bus there too, and its
# items work.
source "$(dirname "$0")/lib.sh"
e2e_drop_root "$@"
e2e_init wayland "$@"
e2e_select_two_messages
e2e_start_sway
e2e_start_sni_watcher
e2e_start_sni_app

wl_clipboard() { timeout 5 wl-paste --no-newline; }
e2e_app_method CopySubject || e2e_fail "CopySubject was refused"
e2e_wait_text "$E2E_SUBJECTS" wl_clipboard || e2e_fail "CopySubject did not reach the clipboard"
e2e_app_method CopySenderAddress || e2e_fail "CopySenderAddress was refused"
e2e_wait_text "$E2E_SENDER_ADDRESSES" wl_clipboard || e2e_fail "CopySenderAddress did not reach the clipboard"

e2e_sni_open_menu
e2e_sni_click "Copy Subject"
e2e_wait_text "$E2E_SUBJECTS" wl_clipboard || e2e_fail "Copy Subject from the menu did not reach the clipboard"

e2e_sni_open_menu
e2e_sni_click Quit
e2e_wait_for 10 bash -c "! kill -0 $E2E_APP_PID" || e2e_fail "Quit did not end the app"
e2e_finish

#!/usr/bin/env bash
# The commands on the session bus, on a real X server with the app in the tray:
# CopySubject and CopySenderAddress reach the clipboard, HTML content is copied
# without loading what it names, a second start exits at once and leaves the first
# alone, and Quit ends the app.
source "$(dirname "$0")/lib.sh"
e2e_init dbus "$@"

e2e_select_two_messages

e2e_start_x
e2e_start_tray
e2e_start_app

e2e_wait_for 10 e2e_bus_call com.brightfold.Quorvell /com/brightfold/Quorvell \
    org.freedesktop.DBus.Introspectable.Introspect || e2e_die "the app's service does not answer"
e2e_app_method CopySubject || e2e_fail "CopySubject was refused"
e2e_wait_text "$E2E_SUBJECTS" e2e_clipboard || e2e_fail "CopySubject did not reach the clipboard"
e2e_app_method CopySenderAddress || e2e_fail "CopySenderAddress was refused"
e2e_wait_text "$E2E_SENDER_ADDRESSES" e2e_clipboard || e2e_fail "CopySenderAddress did not reach the clipboard"

# An HTML message whose stylesheet, link and image name a FIFO that nobody writes:
# opening it would freeze the app. Copy Content gives the text, the app answers on.
fifo=$E2E_TMP/fifo
mkfifo "$fifo"
printf 'From: x@example.com\r\nSubject: HTML over the bus\r\nContent-Type: text/html\r\n\r\n<html><head><style>@import url("file://%s");</style><link rel="stylesheet" href="file://%s"></head><body><p>Hello <a href="https://e.x/">link</a><img src="file://%s"><img src="cid:logo"></p></body></html>\r\n' \
    "$fifo" "$fifo" "$fifo" >"$HOME/Maildir/cur/1700000003.c.e2e:2,S"
printf '%s\n' 1700000003.c.e2e >"$HOME/.local/state/quorvell/mail/selection"
e2e_app_method CopyContent || e2e_fail "CopyContent of an HTML message was refused"
e2e_wait_text 'Hello link' e2e_clipboard || e2e_fail "CopyContent of an HTML message did not reach the clipboard"
e2e_app_method CopySubject || e2e_fail "the app stopped answering after an HTML message"
e2e_wait_text 'HTML over the bus' e2e_clipboard || e2e_fail "CopySubject after an HTML message did not reach the clipboard"

start=$(date +%s)
timeout 20 "$E2E_APP" >"$E2E_TMP/second.log" 2>&1 || e2e_fail "the second start failed: $(cat "$E2E_TMP/second.log")"
[ $(($(date +%s) - start)) -le 10 ] || e2e_fail "the second start did not exit at once"
kill -0 "$E2E_APP_PID" || e2e_fail "the first instance ended when the second started"
e2e_app_method CopySubject || e2e_fail "the first instance lost its name"

e2e_app_method Quit || e2e_fail "Quit was refused"
e2e_wait_for 10 bash -c "! kill -0 $E2E_APP_PID" || e2e_fail "Quit did not end the app"
e2e_finish

#!/usr/bin/env bash
# The commands on the session bus, on a real X server with the app in the tray:
# introspection lists every command, CopySubject and CopySenderAddress reach the
# clipboard, HTML content is copied without loading what it names, an unknown
# method is refused, a second start exits at once and leaves
# the first alone, and Quit ends the app.
source "$(dirname "$0")/lib.sh"
e2e_init dbus "$@"

# Two messages of our own, selected in this order.
maildir=$HOME/Maildir
mkdir -p "$maildir/cur" "$maildir/new" "$maildir/tmp" "$HOME/.local/state/quorvell/mail"
write_message() { # UNIQUE FROM SUBJECT
    printf 'From: %s\r\nTo: Kestrin <kestrin@example.com>\r\nSubject: %s\r\nDate: Sun, 06 Dec 2026 07:10:23 +0000\r\nMessage-ID: <%s@example.com>\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nHello.\r\n' \
        "$2" "$3" "$1" >"$maildir/cur/$1:2,S"
}
write_message 1700000001.a.e2e 'Ann Lee <ann@example.com>' 'First over the bus'
write_message 1700000002.b.e2e 'Bob Stone <bob@example.org>' 'Второе письмо'
printf '%s\n' 1700000001.a.e2e 1700000002.b.e2e >"$HOME/.local/state/quorvell/mail/selection"

e2e_start_x
e2e_start_tray
e2e_start_app

bus() { # METHOD : calls a method of the app's object
    timeout 10 gdbus call --session --dest com.brightfold.Quorvell --object-path /com/brightfold/Quorvell \
        --method "com.brightfold.Quorvell.$1"
}
# wait_clipboard EXPECTED : the clipboard's lines joined by "|" become EXPECTED within 15 s.
wait_clipboard() {
    local got=""
    for _ in $(seq 1 150); do
        got=$(e2e_clipboard | tr -d '\r' | paste -sd '|')
        [ "$got" = "$1" ] && return 0
        sleep 0.1
    done
    e2e_log "clipboard: '$got'"
    return 1
}

introspect() {
    timeout 10 gdbus introspect --session --dest com.brightfold.Quorvell --object-path /com/brightfold/Quorvell
}
e2e_wait_for 10 introspect || e2e_die "the app's service does not answer"
introspection=$(introspect)
for method in CopyContent CopySubject CopyReplyTo CopySender CopySenderName CopySenderAddress CopyRecipient \
    CopyRecipientName CopyRecipientAddress CopyMessageID CopyMailMessageID CopyAllHeaders CopyAllHeadersContent \
    CopyDate CopyTime CopySummary CopySource AddRecipientToAddressBook AddToAddressBook SaveToPDF SaveToRTF \
    ShowPreferences Quit; do
    grep -q "^ *$method();" <<<"$introspection" || e2e_fail "introspection does not list $method"
done

bus CopySubject >/dev/null || e2e_fail "CopySubject was refused"
wait_clipboard 'First over the bus|Второе письмо' || e2e_fail "CopySubject did not reach the clipboard"
bus CopySenderAddress >/dev/null || e2e_fail "CopySenderAddress was refused"
wait_clipboard 'ann@example.com|bob@example.org' || e2e_fail "CopySenderAddress did not reach the clipboard"

# An HTML message whose stylesheet, link and image name a FIFO that nobody writes:
# opening it would freeze the app. Copy Content gives the text, the app answers on.
fifo=$E2E_TMP/fifo
mkfifo "$fifo"
printf 'From: x@example.com\r\nSubject: HTML over the bus\r\nContent-Type: text/html\r\n\r\n<html><head><style>@import url("file://%s");</style><link rel="stylesheet" href="file://%s"></head><body><p>Hello <a href="https://e.x/">link</a><img src="file://%s"><img src="cid:logo"></p></body></html>\r\n' \
    "$fifo" "$fifo" "$fifo" >"$maildir/cur/1700000003.c.e2e:2,S"
printf '%s\n' 1700000003.c.e2e >"$HOME/.local/state/quorvell/mail/selection"
bus CopyContent >/dev/null || e2e_fail "CopyContent of an HTML message was refused"
wait_clipboard 'Hello link' || e2e_fail "CopyContent of an HTML message did not reach the clipboard"
bus CopySubject >/dev/null || e2e_fail "the app stopped answering after an HTML message"
wait_clipboard 'HTML over the bus' || e2e_fail "CopySubject after an HTML message did not reach the clipboard"

bus CopyEverything >/dev/null 2>&1 && e2e_fail "an unknown method was accepted"

start=$(date +%s)
timeout 20 "$E2E_APP" >"$E2E_TMP/second.log" 2>&1 || e2e_fail "the second start failed: $(cat "$E2E_TMP/second.log")"
[ $(($(date +%s) - start)) -le 10 ] || e2e_fail "the second start did not exit at once"
kill -0 "$E2E_APP_PID" || e2e_fail "the first instance ended when the second started"
bus CopySubject >/dev/null || e2e_fail "the first instance lost its name"

bus Quit >/dev/null || e2e_fail "Quit was refused"
e2e_wait_for 10 bash -c "! kill -0 $E2E_APP_PID" || e2e_fail "Quit did not end the app"
e2e_finish

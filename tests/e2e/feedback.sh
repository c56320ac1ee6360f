#!/usr/bin/env bash
# What a person learns where nothing else shows it, with a notification service of
# the test's own on the private bus: the command line without a display, a MAILDIR
# that names no Maildir (told at start and at a command), a command with nothing
# selected (the clipboard keeps the person's text), an import (how many people, in
# which group), and an ordinary copy (no notification, no ALSA lines without a
# sound device).
source "$(dirname "$0")/lib.sh"
e2e_init feedback "$@"

# The command line, before any display exists.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$E2E_APP" --version 2>&1) || e2e_fail "--version failed: $out"
[ "$out" = "quorvell 1.0.0" ] || e2e_fail "--version printed: $out"
"$E2E_APP" --help 2>&1 | grep -q -- '--version' || e2e_fail "--help does not list --version"
status=0
env -u DISPLAY -u WAYLAND_DISPLAY "$E2E_APP" >"$E2E_TMP/nodisplay.log" 2>&1 || status=$?
[ "$status" = 1 ] || e2e_fail "without a display the exit status is $status, not 1"
[ "$(wc -l <"$E2E_TMP/nodisplay.log")" = 1 ] || e2e_fail "without a display: $(cat "$E2E_TMP/nodisplay.log")"

e2e_start_x
e2e_start_tray
# Every option that --help lists answers and exits, on a display too: none starts the app.
for option in $("$E2E_APP" --help | grep -oE -- '--[a-z-]+'); do
    timeout 10 "$E2E_APP" "$option" >/dev/null 2>&1 || e2e_fail "$option did not answer and exit"
done
notes=$E2E_TMP/notifications
: >"$notes"
e2e_spawn "$E2E_TMP/recorder.log" "$QUORVELL_BINARY_DIR/tests/e2e/e2e-notification-recorder" "$notes"
e2e_wait_for 10 gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetNameOwner org.freedesktop.Notifications \
    || e2e_die "the notification recorder did not start: $(cat "$E2E_TMP/recorder.log")"

notified() { grep -c -- "$1" "$notes" || true; }
quit_app() {
    e2e_app_method Quit || e2e_fail "Quit was refused"
    e2e_wait_for 10 bash -c "! kill -0 $E2E_APP_PID" || e2e_fail "Quit did not end the app"
}
printf 'the person'"'"'s own text' | xclip -selection clipboard -i
e2e_wait_clipboard "the person's own text" || e2e_die "could not set the clipboard"

# A MAILDIR that names no Maildir: told at start, and again by a command, which
# leaves the clipboard alone.
export MAILDIR=$E2E_TMP/no-such-maildir
e2e_start_app
e2e_wait_for 10 grep -q "No mailbox	MAILDIR names $MAILDIR, which does not exist" "$notes" \
    || e2e_fail "no notification of the wrong MAILDIR at start: $(cat "$notes")"
grep -q "MAILDIR names $MAILDIR, which does not exist" "$E2E_TMP/app.log" || e2e_fail "no log line names $MAILDIR"
e2e_app_method CopySubject || e2e_fail "CopySubject was refused"
e2e_wait_for 10 test "$(notified 'No mailbox')" = 2 || e2e_fail "CopySubject did not tell of the wrong MAILDIR"
[ "$(e2e_clipboard)" = "the person's own text" ] || e2e_fail "the clipboard changed: $(e2e_clipboard)"
quit_app

# A Maildir with nothing selected, then two messages selected.
export MAILDIR=$E2E_TMP/Maildir
mkdir -p "$MAILDIR/cur" "$MAILDIR/new" "$MAILDIR/tmp"
for n in 1 2; do
    printf 'From: Person %s <p%s@example.org>\r\nSubject: Note %s\r\nMessage-ID: <%s@e2e>\r\n\r\nx\r\n' \
        "$n" "$n" "$n" "$n" >"$MAILDIR/cur/170000000$n.M$n.e2e:2,S"
done
"$(e2e_tool quorvell-mail)" clear || e2e_die "quorvell-mail clear failed"
e2e_start_app
e2e_app_method CopySubject || e2e_fail "CopySubject was refused"
e2e_wait_for 10 grep -q '^No messages selected' "$notes" || e2e_fail "no notification: No messages selected"
grep -q 'No messages selected' "$E2E_TMP/app.log" || e2e_fail "no log line: No messages selected"
[ "$(e2e_clipboard)" = "the person's own text" ] || e2e_fail "the clipboard changed: $(e2e_clipboard)"

"$(e2e_tool quorvell-mail)" select 1700000001.M1.e2e 1700000002.M2.e2e || e2e_die "quorvell-mail select failed"
e2e_app_method AddToAddressBook || e2e_fail "AddToAddressBook was refused"
e2e_wait_for 20 grep -q '^2 people added to the group "Quorvell [0-9-]* [0-9:]* [+-][0-9]*"' "$notes" \
    || e2e_fail "no notification of the import: $(cat "$notes")"
before=$(wc -l <"$notes")
e2e_app_method CopySubject || e2e_fail "CopySubject was refused"
e2e_wait_clipboard "$(printf 'Note 1\nNote 2')" || e2e_fail "CopySubject did not copy: $(e2e_clipboard)"
# Commands run and notify in order: the next notification follows the copy's own.
"$(e2e_tool quorvell-mail)" clear || e2e_die "quorvell-mail clear failed"
e2e_app_method CopyContent || e2e_fail "CopyContent was refused"
e2e_wait_for 10 test "$(notified '^No messages selected')" = 2 || e2e_fail "CopyContent did not notify"
[ "$(wc -l <"$notes")" = $((before + 1)) ] || e2e_fail "an ordinary copy notified: $(tail -n 2 "$notes")"
grep -q 'ALSA' "$E2E_TMP/app.log" && e2e_fail "ALSA wrote to standard error: $(grep -m1 ALSA "$E2E_TMP/app.log")"
quit_app
e2e_finish

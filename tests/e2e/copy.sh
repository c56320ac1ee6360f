#!/usr/bin/env bash
# Copy commands picked from the tray menu with the keyboard, the clipboard read by
# another process while the app runs: "Copy Subject" one a line and with commas,
# "Copy Sender Address", the reverse order, and a setting written by another process
# moving the next item into the place of "Copy Subject" in the menu of a right click.
source "$(dirname "$0")/lib.sh"
e2e_init copy "$@"

mail_tool=$(e2e_tool quorvell-mail)
[ -n "$mail_tool" ] || e2e_die "quorvell-mail is not built"

export MAILDIR=$E2E_TMP/Maildir
mkdir -p "$MAILDIR/cur" "$MAILDIR/new" "$MAILDIR/tmp"
# write_message FILE FROM REPLY-TO SUBJECT DAY
write_message() {
    printf '%s\r\n' \
        "From: $2" \
        "To: Team <team@example.net>" \
        "Reply-To: $3" \
        "Subject: $4" \
        "Date: $5 Dec 2026 09:30:00 +0000" \
        "Message-ID: <$(basename "$1" | cut -d. -f1-2)@e2e.test>" \
        "MIME-Version: 1.0" \
        "Content-Type: text/plain; charset=utf-8" \
        "" \
        "Body of $4." >"$MAILDIR/cur/$1"
}
write_message 1764910000.M1P1.e2e:2,S '"Ann Example" <ann@example.org>' 'reports@example.org' \
    'Quarterly report' 01
write_message 1764920000.M2P1.e2e:2,S 'Bob Builder <bob@builder.test>' 'lunch@builder.test' \
    'Lunch on Friday' 02
write_message 1764930000.M3P1.e2e:2,S 'chris@beispiel.de' 'chris@beispiel.de' \
    '=?UTF-8?Q?Gr=C3=BC=C3=9Fe_aus_K=C3=B6ln?=' 03
"$mail_tool" select "$MAILDIR/cur/1764910000.M1P1.e2e:2,S" "$MAILDIR/cur/1764920000.M2P1.e2e:2,S" \
    "$MAILDIR/cur/1764930000.M3P1.e2e:2,S" >/dev/null || e2e_die "could not select the messages"

e2e_start_x
e2e_start_tray
e2e_start_app

# Positions among the menu's items (separators do not count).
copy_subject=4
copy_sender_address=8

# check NAME POSITION EXPECTED [BUTTON]
check() {
    e2e_open_menu "${4:-1}"
    e2e_choose "$2"
    if e2e_wait_clipboard "$3"; then
        e2e_log "$1: ok"
    else
        e2e_fail "$1: clipboard holds [$(e2e_clipboard)], expected [$3]"
    fi
}

check "Copy Subject" $copy_subject $'Quarterly report\nLunch on Friday\nGrüße aus Köln'
check "Copy Sender Address" $copy_sender_address $'ann@example.org\nbob@builder.test\nchris@beispiel.de'

e2e_defaults write com.brightfold.Quorvell UseCommaDelimiter -bool true
check "Copy Subject with commas" $copy_subject 'Quarterly report,Lunch on Friday,Grüße aus Köln'
check "Copy Sender Address with commas" $copy_sender_address 'ann@example.org,bob@builder.test,chris@beispiel.de'

e2e_defaults write com.brightfold.Quorvell ReverseOrder -bool true
check "Copy Subject reversed" $copy_subject 'Grüße aus Köln,Lunch on Friday,Quarterly report'
e2e_defaults write com.brightfold.Quorvell ReverseOrder -bool false

# Another process hides "Copy Subject": the fourth item of the menu a right click
# opens, rebuilt too, is now "Copy Reply To".
e2e_defaults write com.brightfold.Quorvell IncludeSubject -bool false
check "fourth item after IncludeSubject=false, right click" $copy_subject \
    'reports@example.org,lunch@builder.test,chris@beispiel.de' 3

kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "the app ended during the test"
e2e_finish

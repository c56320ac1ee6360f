#!/usr/bin/env bash
# The selection made in the mail clients people use on Linux, each through what
# the installed integration gives them: a notmuch query over a real database, an
# mblaze sequence, neomutt (in a pty of its own) tagging two messages and running
# the ",q" macro, then again with nothing tagged, and aerc (in tmux) marking four
# rows, ten times, although aerc pipes them in no fixed order. After each, "Copy
# Subject" over the bus copies exactly the chosen messages, in the order shown.
source "$(dirname "$0")/lib.sh"
e2e_init clients "$@"

for tool in notmuch mlist mpick mseq neomutt script aerc tmux; do
    command -v "$tool" >/dev/null || e2e_die "$tool is missing (scripts/install-deps.sh installs it)"
done
mail_tool=$(e2e_tool quorvell-mail)
[ -n "$mail_tool" ] || e2e_die "quorvell-mail is not built"
export PATH=$(dirname "$mail_tool"):$PATH
integrations=$QUORVELL_SOURCE_DIR/resources/integrations

export MAILDIR=$E2E_TMP/Maildir
mkdir -p "$MAILDIR/cur" "$MAILDIR/new" "$MAILDIR/tmp"
# write_message UNIQUE DAY SUBJECT [NO-ID]
write_message() {
    {
        printf 'From: Ann Lee <ann@example.org>\nTo: team@example.net\nSubject: %s\n' "$3"
        printf 'Date: %s Dec 2026 09:30:00 +0000\n' "$2"
        [ -n "${4:-}" ] || printf 'Message-ID: <%s@clients.test>\n' "$1"
        printf '\nAbout %s.\n' "$3"
    } >"$MAILDIR/cur/$1:2,S"
}
write_message 1764910000.M1.e2e 01 'Quarterly report'
write_message 1764920000.M2.e2e 02 'Lunch on Friday' no-id
write_message 1764930000.M3.e2e 03 'Build is green'
write_message 1764940000.M4.e2e 04 'Minutes of Monday'

e2e_start_x
e2e_start_tray
e2e_start_app

# copies EXPECTED WHAT : "Copy Subject" over the bus yields EXPECTED (lines joined by "|").
copies() {
    e2e_app_method CopySubject || { e2e_fail "$2: CopySubject was refused"; return; }
    e2e_wait_text "$1" e2e_clipboard && e2e_log "$2: ok" || e2e_fail "$2: the clipboard does not hold [$1]"
}

# notmuch: the person's own configuration and database, a query.
export NOTMUCH_CONFIG=$HOME/.notmuch-config
printf '[database]\npath=%s\n[new]\ntags=inbox;\n' "$MAILDIR" >"$NOTMUCH_CONFIG"
notmuch new >/dev/null 2>&1 || e2e_die "notmuch new failed"
quorvell-mail select --notmuch 'subject:Minutes or subject:Lunch' || e2e_fail "select --notmuch failed"
copies 'Lunch on Friday|Minutes of Monday' "notmuch query"

# mblaze: a sequence made by picking, newest first, in a folder moved by a flag change.
export MBLAZE=$HOME/.mblaze
mkdir -p "$MBLAZE"
mlist "$MAILDIR" | mpick -t 'subject =~ "report|green"' | sort -r | mseq -S >/dev/null
mv "$MAILDIR/cur/1764930000.M3.e2e:2,S" "$MAILDIR/cur/1764930000.M3.e2e:2,FS"
quorvell-mail select --mblaze || e2e_fail "select --mblaze failed"
copies 'Build is green|Quarterly report' "mblaze sequence"

# neomutt: no terminal of its own, so it runs in the pty that `script` gives it.
cat >"$HOME/muttrc" <<EOF
set mbox_type=Maildir folder="$MAILDIR" spoolfile="$MAILDIR" sort=date quit=yes
source "$integrations/quorvell.muttrc"
EOF
neomutt_keys() { # KEYS : runs neomutt on the Maildir with KEYS pushed, until it quits
    TERM=xterm timeout 60 script -qec "neomutt -n -F '$HOME/muttrc' -e 'push \"$1<quit>\"'" /dev/null \
        </dev/null >"$E2E_TMP/neomutt.log" 2>&1 || e2e_fail "neomutt did not end: $(tail -c 400 "$E2E_TMP/neomutt.log")"
}
neomutt_keys '<tag-pattern>~s Lunch|~s Build<enter>,q'
copies 'Lunch on Friday|Build is green' "neomutt, two tagged"
neomutt_keys '<last-entry>,q'
copies 'Minutes of Monday' "neomutt, none tagged"

# aerc on the same Maildir, with our lines added below aerc's own keys.
mkdir -p "$XDG_CONFIG_HOME/aerc"
printf '[local]\nsource = maildirpp://%s\nfrom = Me <me@example.org>\ndefault = INBOX\n' "$MAILDIR" \
    >"$XDG_CONFIG_HOME/aerc/accounts.conf"
chmod 600 "$XDG_CONFIG_HOME/aerc/accounts.conf"
{ cat /usr/share/aerc/binds.conf; echo; cat "$integrations/aerc-binds.conf"; } >"$XDG_CONFIG_HOME/aerc/binds.conf"
aerc_tmux() { tmux -S "$E2E_TMP/tmux" "$@"; }
aerc_shows() { aerc_tmux capture-pane -p -t aerc | grep -q -- "$1"; }
aerc_tmux new-session -d -s aerc -x 150 -y 30 "TERM=xterm-256color aerc" || e2e_die "tmux did not start aerc"
E2E_PIDS+=("$(aerc_tmux display -p '#{pid}')")
e2e_wait_for 30 aerc_shows 'Quarterly report' || e2e_die "aerc shows no messages: $(aerc_tmux capture-pane -p -t aerc)"
order_ok=0
for run in $(seq 1 10); do
    # From the top: unmark all, mark four rows with aerc's own "v" and "j", select.
    aerc_tmux send-keys -t aerc :unmark Space -a Enter g v j v j v j v , q
    e2e_wait_for 20 aerc_shows '4 messages selected' || { e2e_fail "aerc run $run: no result line"; break; }
    e2e_wait_for 10 aerc_shows 'press any key to close' || { e2e_fail "aerc run $run: the tool did not end"; break; }
    aerc_tmux send-keys -t aerc q
    e2e_wait_for 10 aerc_shows 'Quarterly report' || { e2e_fail "aerc run $run: the tab stayed"; break; }
    shown=$(quorvell-mail selection | cut -f5 | paste -sd '|')
    [ "$shown" = 'Minutes of Monday|Build is green|Lunch on Friday|Quarterly report' ] && order_ok=$((order_ok + 1)) \
        || e2e_log "aerc run $run selected: $shown"
done
[ "$order_ok" = 10 ] && e2e_log "aerc: shown order in $order_ok runs of 10" || e2e_fail "aerc: shown order in $order_ok runs of 10"
copies 'Minutes of Monday|Build is green|Lunch on Friday|Quarterly report' "aerc, four marked"
aerc_tmux kill-server

# Select and run a tray command in one go, as the optional second bindings do.
said=$(quorvell-mail select --then CopySubject '<1764910000.M1.e2e@clients.test>') \
    || e2e_fail "select --then CopySubject failed"
[ "$said" = '1 message selected, CopySubject done' ] || e2e_fail "select --then said [$said]"
e2e_wait_text 'Quarterly report' e2e_clipboard || e2e_fail "select --then did not copy"
quorvell-mail select --then NoSuchCommand 1764920000.M2.e2e >/dev/null 2>&1 && e2e_fail "an unknown tray command succeeded"
quorvell-mail result | grep -q '^1 message selected, but NoSuchCommand failed: ' \
    || e2e_fail "the result does not say the tray command failed: $(quorvell-mail result)"

kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "the app ended during the test"
e2e_finish

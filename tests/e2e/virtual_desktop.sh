#!/usr/bin/env bash
# "make run" on a machine without a graphical session: the run script starts the
# virtual desktop with the app on the sample mailbox and prints how to reach it; the
# printed bus address and display run "Copy Subject" and read the clipboard from
# another process; Ctrl-C ends everything it started, the app before its display
# (no complaint of a lost display), and the bus daemon's fd-limit remark is not shown.
source "$(dirname "$0")/lib.sh"
e2e_init virtual_desktop "$@"
unset DISPLAY MAILDIR

out=$E2E_TMP/run.out
# As from a terminal: a background job of this script would start with Ctrl-C
# ignored, which no program can undo for itself.
e2e_spawn "$out" perl -e '$SIG{INT} = "DEFAULT"; exec { $ARGV[0] } @ARGV or die "exec: $!\n"' \
    setsid bash "$QUORVELL_SOURCE_DIR/scripts/run.sh" "$QUORVELL_BINARY_DIR"
run_pid=$E2E_LAST_PID
# Nothing the run script started outlives this test: its group, its desktop's session.
trap 'kill -KILL -- "-$run_pid" ${desktop_sid:+"-$desktop_sid"} 2>/dev/null || true; e2e_cleanup' EXIT
# What still runs there (zombies, which an init here may leave unreaped, have ended).
leftovers() { ps -e -o pgid=,sid=,stat=,pid=,args= |
    awk -v g="$run_pid" -v s="$desktop_sid" '($1 == g || $2 == s) && $3 !~ /^Z/'; }
e2e_wait_for 60 grep -q '^  export DISPLAY=' "$out" || { cat "$out" >&2; e2e_die "no virtual desktop was started"; }
desktop_sid=$(ps -o sid= -p "$(sed -n 's/.* (pid \([0-9]*\)).*/\1/p' "$out")" | tr -d ' ')
[ -n "$desktop_sid" ] || e2e_die "no app process"
[ "$(grep -c 'starting a virtual desktop' "$out")" = 1 ] || e2e_fail "the run script did not say it starts a virtual desktop"
eval "$(grep '^  export DISPLAY=' "$out")"
e2e_log "virtual desktop on $DISPLAY"

copy_subject=$(sed -n 's/^  Copy Subject: *//p' "$out")
[ -n "$copy_subject" ] || e2e_die "no bus call printed"
e2e_wait_for 20 timeout 10 gdbus introspect --session --dest com.brightfold.Quorvell \
    --object-path /com/brightfold/Quorvell || e2e_die "the app does not answer at the printed bus address"
timeout 10 $copy_subject >/dev/null || e2e_fail "the printed bus call failed"
e2e_wait_for 15 bash -c 'xclip -o -selection clipboard 2>/dev/null | grep -q "Grüße aus Köln"' \
    || e2e_fail "the sample mailbox's subjects did not reach the clipboard: [$(e2e_clipboard)]"
e2e_screenshot virtual-desktop

# Ctrl-C: the interrupt reaches the whole process group of the terminal.
kill -INT -- "-$run_pid"
e2e_wait_for 20 bash -c "! kill -0 $run_pid 2>/dev/null" || e2e_fail "Ctrl-C did not end the run script"
e2e_wait_for 10 eval '[ -z "$(leftovers)" ]' || e2e_fail "Ctrl-C left processes behind: $(leftovers)"
! grep -E 'The X11 connection broke|Failed to set fd limit' "$out" || e2e_fail "the terminal shows the lines above"
e2e_finish

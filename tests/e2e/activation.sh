#!/usr/bin/env bash
# D-Bus activation of the installed app: `cmake --install` lays the session bus's
# service file beside the app, and on a bus that reads it a `gdbus call ...
# CopySubject` with no app running starts the app, which then runs that call.
source "$(dirname "$0")/lib.sh"
e2e_init activation "$@"

prefix=$E2E_TMP/prefix
e2e_install "$prefix"
services=$prefix/share/dbus-1/services
service=$services/com.brightfold.Quorvell.service
[ -f "$service" ] || e2e_die "not installed: share/dbus-1/services/com.brightfold.Quorvell.service"
grep -qx 'Name=com.brightfold.Quorvell' "$service" || e2e_fail "the service file names another bus name"
grep -qx "Exec=$prefix/bin/quorvell" "$service" || e2e_fail "the service file does not start $prefix/bin/quorvell"

export MAILDIR=$E2E_TMP/Maildir
mkdir -p "$MAILDIR/cur" "$MAILDIR/new" "$MAILDIR/tmp"
printf 'From: Ann <ann@example.org>\r\nSubject: Started by the bus\r\n\r\nx\r\n' >"$MAILDIR/cur/1700000001.M1.e2e:2,S"
"$(e2e_tool quorvell-mail)" select 1700000001.M1.e2e || e2e_die "quorvell-mail select failed"

e2e_start_x
e2e_start_tray
# A session bus of the test's own that reads the installed service folder. It is
# started after the display, so that the app it starts finds the display too.
cat >"$E2E_TMP/session.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$E2E_TMP</listen>
  <servicedir>$services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
e2e_spawn "$E2E_TMP/bus.log" env -u DBUS_SESSION_BUS_ADDRESS dbus-daemon --nofork --config-file="$E2E_TMP/session.conf" --print-address=1
e2e_wait_for 10 grep -q '^unix:' "$E2E_TMP/bus.log" || e2e_die "the bus did not start: $(cat "$E2E_TMP/bus.log")"
export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$E2E_TMP/bus.log")

owner() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.GetConnectionUnixProcessID com.brightfold.Quorvell 2>/dev/null \
        | tr -dc '0-9'
}
[ -z "$(owner)" ] || e2e_die "the app runs already"
timeout 40 gdbus call --session --timeout 30 --dest com.brightfold.Quorvell --object-path /com/brightfold/Quorvell \
    --method com.brightfold.Quorvell.CopySubject >/dev/null || e2e_fail "CopySubject did not start the app"
pid=$(owner)
if [ -n "$pid" ]; then
    E2E_PIDS+=("$pid")  # ended by the cleanup should a check below fail
    e2e_wait_clipboard 'Started by the bus' || e2e_fail "the activated app did not copy: $(e2e_clipboard)"
    gdbus call --session --dest com.brightfold.Quorvell --object-path /com/brightfold/Quorvell \
        --method com.brightfold.Quorvell.Quit >/dev/null || e2e_fail "Quit was refused"
    e2e_wait_for 10 bash -c "! kill -0 $pid" || e2e_fail "Quit did not end the activated app"
else
    e2e_fail "no app owns com.brightfold.Quorvell after the call"
fi
e2e_finish

#!/usr/bin/env bash
# The installed tree: `cmake --install` into a temporary prefix lays out the app,
# the tools, their manual pages, the resources, the desktop entry, the icons, the
# software centre's metadata and the session bus's service file. On a bus that reads
# that file, a `gdbus call ... CopySubject` with no app running starts the installed
# app, which runs that call with its installed script (marked here, so that the
# clipboard tells it was not the source tree's), and whose icon reaches the tray.
# With QUORVELL_INSTALLED_PREFIX the checks run on what is installed there instead
# (the Debian package's test: /usr, which it purges afterwards).
source "$(dirname "$0")/lib.sh"
prefix=${QUORVELL_INSTALLED_PREFIX:-}
[ -z "$prefix" ] || export QUORVELL_APP=$prefix/bin/quorvell
e2e_init installed "$@"
[ -n "$prefix" ] || { prefix=$E2E_TMP/prefix; e2e_install "$prefix"; }

share=$prefix/share
for path in bin/quorvell bin/quorvell-mail bin/quorvell-script bin/quorvell-defaults \
    share/quorvell/Quorvell.tif "share/quorvell/Mail Subject.applescript" \
    share/quorvell/Preferences.ui share/quorvell/SampleMaildir share/quorvell/integrations/quorvell.muttrc \
    share/applications/quorvell.desktop share/dbus-1/services/com.brightfold.Quorvell.service \
    share/metainfo/com.brightfold.Quorvell.metainfo.xml \
    share/icons/hicolor/64x64/apps/quorvell.png share/icons/hicolor/128x128/apps/quorvell.png; do
    [ -e "$prefix/$path" ] || e2e_fail "not installed: $path"
done
for page in quorvell quorvell-mail quorvell-script quorvell-defaults; do  # .1.gz in the package
    compgen -G "$share/man/man1/$page.1*" >/dev/null || e2e_fail "no manual page $page"
done
for path in share/quorvell/CMakeLists.txt share/quorvell/quorvell.desktop share/quorvell/icons \
    share/quorvell/com.brightfold.Quorvell.metainfo.xml; do
    [ -e "$prefix/$path" ] && e2e_fail "installed but should not be: $path"
done
grep -q '^Exec=quorvell$' "$share/applications/quorvell.desktop" || e2e_fail "the desktop entry does not start quorvell"

# Mark what the installed subject script returns.
script="$share/quorvell/Mail Subject.applescript"
sed -i 's/set end of theItems to (subject of theMessage)/set end of theItems to "installed: " \& (subject of theMessage)/' \
    "$script"
grep -q '"installed: "' "$script" || e2e_die "could not mark the installed script"

services=$prefix/share/dbus-1/services
service=$services/com.brightfold.Quorvell.service
grep -qx 'Name=com.brightfold.Quorvell' "$service" || e2e_fail "the service file names another bus name"
grep -qx "Exec=$prefix/bin/quorvell" "$service" || e2e_fail "the service file does not start $prefix/bin/quorvell"

export MAILDIR=$E2E_TMP/Maildir
mkdir -p "$MAILDIR/cur" "$MAILDIR/new" "$MAILDIR/tmp"
printf 'From: Ann <ann@example.org>\r\nSubject: Started by the bus\r\n\r\nx\r\n' >"$MAILDIR/cur/1700000001.M1.e2e:2,S"
"$prefix/bin/quorvell-mail" select 1700000001.M1.e2e >/dev/null || e2e_die "quorvell-mail select failed"

e2e_start_x
e2e_start_tray
# A session bus of the test's own that reads the installed service folder. It is
# started after the display, so that the app it starts finds the display too, and
# without MAILDIR, as a desktop session's bus that never read the shell's startup
# file: the app reads the mailbox the selection was made in.
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
e2e_spawn "$E2E_TMP/bus.log" env -u DBUS_SESSION_BUS_ADDRESS -u MAILDIR dbus-daemon --nofork --config-file="$E2E_TMP/session.conf" --print-address=1
e2e_wait_for 10 grep -q '^unix:' "$E2E_TMP/bus.log" || e2e_die "the bus did not start: $(cat "$E2E_TMP/bus.log")"
export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$E2E_TMP/bus.log")

owner() {
    e2e_bus_call org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus.GetConnectionUnixProcessID \
        com.brightfold.Quorvell 2>/dev/null | sed -n 's/^(uint32 \([0-9]*\),)$/\1/p'
}
[ -z "$(owner)" ] || e2e_die "the app runs already"
timeout 40 gdbus call --session --timeout 30 --dest com.brightfold.Quorvell --object-path /com/brightfold/Quorvell \
    --method com.brightfold.Quorvell.CopySubject >/dev/null || e2e_fail "CopySubject did not start the app"
pid=$(owner)
if [ -n "$pid" ]; then
    E2E_PIDS+=("$pid")  # ended by the cleanup should a check below fail
    [ "$(readlink "/proc/$pid/exe")" = "$prefix/bin/quorvell" ] || e2e_fail "the bus started $(readlink "/proc/$pid/exe")"
    e2e_wait_clipboard 'installed: Started by the bus' || e2e_fail "the activated app did not copy: $(e2e_clipboard)"
    e2e_wait_for 20 e2e_tray_icon || e2e_fail "the activated app's icon did not reach the tray"
    e2e_app_method Quit || e2e_fail "Quit was refused"
    e2e_wait_for 10 bash -c "! kill -0 $pid" || e2e_fail "Quit did not end the activated app"
else
    e2e_fail "no app owns com.brightfold.Quorvell after the call"
fi
e2e_finish

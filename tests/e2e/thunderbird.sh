#!/usr/bin/env bash
# Thunderbird as a person uses it, in a throw-away profile whose Local Folders hold
# four messages (plain, HTML, encoded words, an attachment), our extension
# side-loaded: clicks, shift-click, keyboard and a message tab select; commands over
# the bus copy, follow a change made just before, survive a killed host, and say
# why when Thunderbird is closed, keeping the clipboard. Nothing is written into the
# mail store and no fetched message is left behind.
source "$(dirname "$0")/lib.sh"
e2e_drop_root "$@"
e2e_init thunderbird "$@"

THUNDERBIRD=/usr/lib/thunderbird/thunderbird
if [ ! -x "$THUNDERBIRD" ]; then
    e2e_log "SKIP: Thunderbird is not installed (Debian package thunderbird; scripts/install-deps.sh installs it)"
    exit 0
fi
mail_tool=$(e2e_tool quorvell-mail)
[ -n "$mail_tool" ] || e2e_die "quorvell-mail is not built"
# Installed (as e2e_drop_root does): the host and the extension of the prefix.
if [ -n "${QUORVELL_APP:-}" ]; then
    prefix=$(dirname "$(dirname "$QUORVELL_APP")")
    host=$prefix/libexec/quorvell/quorvell-thunderbird-host
    xpi=$prefix/share/quorvell/thunderbird/quorvell@brightfold.com.xpi
else
    host=$QUORVELL_BINARY_DIR/tools/quorvell-thunderbird-host/quorvell-thunderbird-host
    xpi=$QUORVELL_BINARY_DIR/integrations/thunderbird/quorvell@brightfold.com.xpi
fi
[ -x "$host" ] && [ -f "$xpi" ] || e2e_die "the host ($host) or the extension ($xpi) is not built"

profile=$E2E_TMP/profile
store="$profile/Mail/Local Folders"
mkdir -p "$profile/extensions" "$store" "$HOME/.mozilla/native-messaging-hosts"
cp "$xpi" "$profile/extensions/"
sed "s|@QUORVELL_HOST@|$host|" "$QUORVELL_SOURCE_DIR/integrations/thunderbird/com.brightfold.quorvell.json.in" \
    >"$HOME/.mozilla/native-messaging-hosts/com.brightfold.quorvell.json"
cat >"$profile/user.js" <<'EOF'
user_pref("extensions.autoDisableScopes", 0);
user_pref("extensions.enabledScopes", 15);
user_pref("xpinstall.signatures.required", false);
user_pref("mail.shell.checkDefaultClient", false);
user_pref("mail.provider.suppress_dialog_on_startup", true);
user_pref("mailnews.start_page.enabled", false);
user_pref("mail.rights.version", 1);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("app.update.enabled", false);
user_pref("accessibility.force_disabled", 1);
user_pref("mail.accountmanager.accounts", "account1");
user_pref("mail.accountmanager.localfoldersserver", "server1");
user_pref("mail.account.account1.server", "server1");
user_pref("mail.account.lastKey", 1);
user_pref("mail.server.server1.type", "none");
user_pref("mail.server.server1.userName", "nobody");
user_pref("mail.server.server1.hostname", "Local Folders");
user_pref("mail.server.server1.name", "Local Folders");
user_pref("mail.server.server1.directory-rel", "[ProfD]Mail/Local Folders");
EOF
# message MINUTE FROM SUBJECT HEADERS-AND-BODY : one mbox entry.
message() {
    printf 'From - Mon Dec 07 10:%s:00 2026\nFrom: %s\nTo: Kestrin <kestrin@example.com>\nSubject: %s\n' "$1" "$2" "$3"
    printf 'Date: Mon, 07 Dec 2026 10:%s:00 +0000\nMessage-ID: <tb%s@quorvell.test>\nMIME-Version: 1.0\n%s\n\n' "$1" "$1" "$4"
}
{
    message 01 'Ann Lee <ann@example.com>' 'Plain one' $'Content-Type: text/plain; charset=utf-8\n\nHello plain.'
    message 02 '=?UTF-8?B?Wm/DqyBCcm9udMOr?= <zoe@example.org>' '=?UTF-8?Q?Caf=C3=A9_menu?=' \
        $'Content-Type: text/html; charset=utf-8\n\n<html><body><p>Lunch at <b>noon</b>.</p></body></html>'
    message 03 'Bob Stone <bob@example.net>' 'With attachment' $'Content-Type: multipart/mixed; boundary="b1"\n
--b1\nContent-Type: text/plain; charset=utf-8\n\nSee the report.\n--b1\nContent-Type: application/pdf; name="report.pdf"
Content-Disposition: attachment; filename="report.pdf"\nContent-Transfer-Encoding: base64\n\nJVBERi0xLjQK\n--b1--'
    message 04 'Kim Park <kim@example.com>' 'Fourth' $'Content-Type: text/plain; charset=utf-8\n\nFour.'
} >"$store/Inbox"
cp "$store/Inbox" "$E2E_TMP/Inbox.as-written"

e2e_start_x
e2e_start_tray
notes=$E2E_TMP/notifications
: >"$notes"
e2e_spawn "$E2E_TMP/recorder.log" "$QUORVELL_BINARY_DIR/tests/e2e/e2e-notification-recorder" "$notes"
e2e_wait_for 10 e2e_bus_call org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus.GetNameOwner \
    org.freedesktop.Notifications || e2e_die "the notification recorder did not start"
e2e_start_app

# Thunderbird gets the test's bus and no accessibility bus, so GTK starts no
# daemons of its own that would outlive it.
e2e_spawn "$E2E_TMP/thunderbird.log" env NO_AT_BRIDGE=1 GTK_A11Y=none "$THUNDERBIRD" --profile "$profile" --no-remote
tb_pid=$E2E_LAST_PID
socket=$XDG_RUNTIME_DIR/quorvell/thunderbird.socket
e2e_wait_for 60 test -S "$socket" || { tail -20 "$E2E_TMP/thunderbird.log" >&2; e2e_die "the extension's host did not start"; }
e2e_wait_for 30 grep -q $'^source\tthunderbird' "$HOME/.local/state/quorvell/mail/selection" || e2e_die "Thunderbird did not become the selection's source"

# The selected messages' subjects as quorvell-mail shows them, joined by "|".
selected_subjects() { "$mail_tool" selection 2>/dev/null | cut -f5 | paste -sd '|'; }
selection_is() { test "$(selected_subjects)" = "$1"; }
# The middle of a card of the list, newest first (the list's header grows on selection).
card_y() { echo $((125 + 75 * ($1 - 1))); }
# Fresh profiles show Local Folders collapsed, a moment after the window: open it
# and the Inbox, and click the first card, until the selection is that message.
open_inbox_and_click_first() {
    xdotool mousemove 143 113 click 1
    xdotool key Right
    xdotool mousemove 130 141 click 1
    xdotool mousemove 430 "$(card_y 1)" click 1
    e2e_wait_for 1 selection_is Fourth
}
e2e_wait_for 60 open_inbox_and_click_first || { e2e_screenshot no-inbox; e2e_die "could not select in the Inbox"; }

# copies METHOD EXPECTED WHAT : METHOD over the bus puts EXPECTED (lines joined by "|") on the clipboard.
copies() {
    e2e_app_method "$1" || { e2e_fail "$3: $1 was refused"; return; }
    e2e_wait_text "$2" e2e_clipboard && e2e_log "$3: ok" || e2e_fail "$3: $1 does not give [$2]"
}
copies CopySubject 'Fourth' "one message clicked"

xdotool keydown shift mousemove 430 "$(card_y 3)" click 1 keyup shift
e2e_wait_for 10 selection_is 'Fourth|With attachment|Café menu' || e2e_fail "shift-click did not select three"
copies CopySubject 'Fourth|With attachment|Café menu' "shift-click"
copies CopySenderName 'Kim Park|Bob Stone|Zoë Brontë' "sender names, an encoded one"
e2e_app_method CopyContent || e2e_fail "CopyContent was refused"
e2e_wait_for 10 bash -c "xclip -o -selection clipboard | grep -q 'Lunch at noon.'" || e2e_fail "the HTML message's text is not copied"
e2e_clipboard | grep -q '^Attachment: report.pdf' || e2e_fail "the attachment is not listed: $(e2e_clipboard)"
e2e_defaults write com.brightfold.Quorvell UseCommaDelimiter -bool true
copies CopySubject 'Fourth,With attachment,Café menu' "comma option"
e2e_defaults write com.brightfold.Quorvell UseCommaDelimiter -bool false

# Every copy command over the bus replaces what another program put there.
sentinel() {
    echo sentinel >"$E2E_TMP/sentinel"
    e2e_spawn "$E2E_TMP/xclip.log" xclip -i -selection clipboard "$E2E_TMP/sentinel"
    e2e_wait_text sentinel e2e_clipboard
}
for method in CopyContent CopySubject CopyReplyTo CopySender CopySenderName CopySenderAddress CopyRecipient \
    CopyRecipientName CopyRecipientAddress CopySource CopyMessageID CopyMailMessageID CopyAllHeaders \
    CopyAllHeadersContent CopyDate CopyTime CopySummary; do
    sentinel || e2e_fail "could not put a sentinel on the clipboard"
    e2e_app_method "$method" || e2e_fail "$method was refused"
    e2e_wait_for 10 bash -c 'c=$(timeout 5 xclip -o -selection clipboard); [ -n "$c" ] && [ "$c" != sentinel ]' \
        || e2e_fail "$method left the clipboard as it was"
done
e2e_app_method AddToAddressBook || e2e_fail "AddToAddressBook was refused"
e2e_wait_for 10 grep -rqs 'zoe@example.org' "$XDG_DATA_HOME/quorvell/addressbook" \
    || e2e_fail "the senders were not filed in the address book"

# The keyboard moves the selection; the command right after it follows.
xdotool key Down
copies CopySubject 'Plain one' "keyboard, command at once"

# A message opened in a tab of its own counts while that tab is shown, whatever
# the mail tab behind it has selected.
xdotool mousemove 430 "$(card_y 1)" click --repeat 2 --delay 80 1
e2e_wait_for 10 selection_is Fourth || e2e_fail "the double-click did not open Fourth"
xdotool key ctrl+Tab Down ctrl+Tab
copies CopySubject 'Fourth' "message tab"
xdotool key ctrl+w
copies CopySubject 'With attachment' "back in the mail tab"

# The host killed: the extension starts another, which takes over the socket.
host_pid=$(ps -o pid=,comm= --ppid "$tb_pid" | awk '$2 ~ /^quorvell-thunde/ { print $1 }')
kill -KILL "${host_pid:?no host among the children of Thunderbird}"
e2e_wait_for 20 selection_is 'With attachment' \
    || e2e_fail "the extension did not start its host again: [$(selected_subjects)] $("$mail_tool" selection 2>&1)"
xdotool key Down
copies CopySubject 'Café menu' "after the host was killed"

# Thunderbird closed: the command says so, and the clipboard keeps what it held.
kill -TERM "$tb_pid"
e2e_wait_for 20 bash -c "! kill -0 $tb_pid 2>/dev/null" || e2e_fail "Thunderbird did not end"
: >"$notes"
started=$(date +%s%N)
e2e_app_method CopySubject || e2e_fail "CopySubject was refused with Thunderbird closed"
e2e_wait_for 10 grep -q "^Thunderbird's selection cannot be read"$'\t'".*Thunderbird is not running" "$notes" \
    || e2e_fail "no notification says that Thunderbird is closed: $(cat "$notes")"
e2e_log "failure told after $(( ($(date +%s%N) - started) / 1000000 )) ms"
[ "$(e2e_clipboard)" = 'Café menu' ] || e2e_fail "the clipboard changed: $(e2e_clipboard)"
grep -q "Thunderbird is not running" "$E2E_TMP/app.log" || e2e_fail "no log line says that Thunderbird is closed"

e2e_app_method Quit || e2e_fail "Quit was refused"
e2e_wait_for 10 bash -c "! kill -0 $E2E_APP_PID 2>/dev/null" || e2e_fail "the app did not quit"
cmp -s "$store/Inbox" "$E2E_TMP/Inbox.as-written" || e2e_fail "the mail store's Inbox changed"
left=$(find "$XDG_RUNTIME_DIR/quorvell" "$HOME/.local/state/quorvell" -name '*.eml' 2>/dev/null)
[ -z "$left" ] || e2e_fail "fetched messages are left behind: $left"
e2e_finish

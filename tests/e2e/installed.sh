#!/usr/bin/env bash
# The installed tree: `cmake --install` into a temporary prefix lays out the app,
# its resources, the desktop entry and the icons, and the installed app finds its
# resources there (not in the source tree): a "Copy Subject" on the bundled sample
# mailbox runs the installed script, marked here so that the clipboard tells.
source "$(dirname "$0")/lib.sh"
e2e_init installed "$@"

prefix=$E2E_TMP/prefix
e2e_install "$prefix"

share=$prefix/share
for path in bin/quorvell share/quorvell/Quorvell.tif "share/quorvell/Mail Subject.applescript" \
    share/quorvell/Preferences.ui share/quorvell/SampleMaildir share/quorvell/integrations/quorvell.muttrc \
    share/applications/quorvell.desktop \
    share/icons/hicolor/64x64/apps/quorvell.png share/icons/hicolor/128x128/apps/quorvell.png; do
    [ -e "$prefix/$path" ] || e2e_fail "not installed: $path"
done
for path in share/quorvell/CMakeLists.txt share/quorvell/quorvell.desktop share/quorvell/icons; do
    [ -e "$prefix/$path" ] && e2e_fail "installed but should not be: $path"
done
grep -q '^Exec=quorvell$' "$share/applications/quorvell.desktop" || e2e_fail "the desktop entry does not start quorvell"

# Mark what the installed subject script returns.
script="$share/quorvell/Mail Subject.applescript"
sed -i 's/set end of theItems to (subject of theMessage)/set end of theItems to "installed: " \& (subject of theMessage)/' \
    "$script"
grep -q '"installed: "' "$script" || e2e_die "could not mark the installed script"

unset MAILDIR
E2E_APP=$prefix/bin/quorvell
e2e_start_x
e2e_start_tray
e2e_start_app

e2e_open_menu
e2e_screenshot installed-menu
e2e_choose 4
filled() { [ -n "$(e2e_clipboard)" ]; }
e2e_wait_for 15 filled || e2e_fail "Copy Subject put nothing on the clipboard"
got=$(e2e_clipboard)
grep -qv '^installed: ' <<<"$got" && e2e_fail "the clipboard does not come from the installed script: [$got]"
e2e_finish

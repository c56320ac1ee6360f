#!/usr/bin/env bash
# The Debian package as a person meets it: built as `make deb` builds it, checked by
# lintian, installed with `apt-get install ./quorvell_*.deb`, its desktop entry and
# metadata validated, its manual pages found by man, the installed app put through
# tests/e2e/installed.sh, then purged, leaving no file behind. Needs root (skipped
# otherwise) and no quorvell package installed. However it ends, quorvell and what
# apt-get pulled in for it are purged again.
set -euo pipefail
src=${QUORVELL_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
bin=${QUORVELL_BINARY_DIR:-$src/build}
failures=0
fail() { echo "package_deb: FAIL: $*" >&2; failures=$((failures + 1)); }
present() { dpkg-query -W -f='${db:Status-Abbrev}' quorvell 2>/dev/null | grep -q '^.[^n]'; }  # even as config-files
packages() { dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' | awk '$1 == "ii" { print $2 }' | sort; }
apt() { DEBIAN_FRONTEND=noninteractive apt-get -y -qq "$@" >>"$work/apt.log" 2>&1; }

[ "$(id -u)" = 0 ] || { echo "package_deb: skipped: installing a package needs root" >&2; exit 77; }
! present || { echo "package_deb: skipped: quorvell is installed already" >&2; exit 77; }
work=$(mktemp -d "${TMPDIR:-/tmp}/quorvell-deb.XXXXXX")
packages >"$work/before"
restore() {
    local status=$?
    set +e
    present && apt purge quorvell
    # shellcheck disable=SC2046
    packages | comm -13 "$work/before" - | grep -q . && apt purge $(packages | comm -13 "$work/before" -)
    rm -rf "$work"
    exit "$status"
}
trap restore EXIT
trap 'exit 130' INT TERM

bash "$src/scripts/build-deb.sh" "$src" "$bin/deb" >/dev/null
deb=$(ls "$bin"/deb/quorvell_*.deb)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$bin/CMakeCache.txt")
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "debian/changelog is not at version $version"
lintian --fail-on error,warning "$deb" >"$work/lintian" 2>&1 || fail "lintian: $(cat "$work/lintian")"
# No autostart entry, and no script run at install or removal that could reach a home.
dpkg-deb -c "$deb" | awk '{ sub(/^\./, "", $6); sub(/\/$/, "", $6); if ($6 != "") print $6 }' >"$work/contents"
! grep -q '^/etc/xdg/autostart' "$work/contents" || fail "the package starts the app at login"
manifest=/usr/lib/mozilla/native-messaging-hosts/com.brightfold.quorvell.json
for path in "$manifest" "/usr/share/mozilla/extensions/{3550f703-e582-4d05-9a08-453d09bdfdc6}/quorvell@brightfold.com.xpi"; do
    grep -qxF "$path" "$work/contents" || fail "the package lacks $path"
done
dpkg-deb -e "$deb" "$work/control"
for script in preinst postinst prerm postrm; do
    [ ! -e "$work/control/$script" ] || fail "the package has a $script script"
done

while IFS= read -r path; do [ ! -d "$path" ] || echo "$path"; done <"$work/contents" >"$work/dirs-before"
apt install "$deb" || { cat "$work/apt.log" >&2; exit 1; }
desktop-file-validate /usr/share/applications/quorvell.desktop >&2 || fail "desktop-file-validate"
[ -x "$(sed -n 's/^ *"path": "\(.*\)",$/\1/p' "$manifest")" ] || fail "$manifest names no installed host"
appstreamcli validate --no-net /usr/share/metainfo/com.brightfold.Quorvell.metainfo.xml >&2 || fail "appstreamcli validate"
for page in quorvell quorvell-mail quorvell-script quorvell-defaults; do
    [ "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page"
done
QUORVELL_INSTALLED_PREFIX=/usr bash "$src/tests/e2e/installed.sh" || fail "the installed app failed its checks"

apt purge quorvell || fail "apt-get purge failed"
while IFS= read -r path; do
    if [ -e "$path" ] || [ -L "$path" ]; then
        grep -qxF "$path" "$work/dirs-before" || fail "left behind after the purge: $path"
    fi
done <"$work/contents"
[ "$failures" -eq 0 ] && echo "package_deb: passed" >&2

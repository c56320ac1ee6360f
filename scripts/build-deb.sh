#!/usr/bin/env bash
# Builds the Debian binary package (debian/) from a copy of the source tree:
#   scripts/build-deb.sh SOURCE-DIR OUT-DIR [JOBS]
# The copy is OUT-DIR/quorvell-VERSION, so the package build's own files (its
# obj-* build folder, debian/quorvell/, the debhelper stamps) never land in the
# tree; the .deb, .buildinfo and .changes land in OUT-DIR, the build's output in
# OUT-DIR/build.log. Offline: dpkg-buildpackage fetches nothing, and names any
# build dependency that is missing (scripts/install-deps.sh installs them).
set -euo pipefail

[ $# -ge 2 ] || { echo "usage: $0 SOURCE-DIR OUT-DIR [JOBS]" >&2; exit 2; }
src=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
jobs=${3:-$(nproc)}
for tool in dpkg-buildpackage dpkg-parsechangelog dh; do
    command -v "$tool" >/dev/null || { echo "build-deb: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

version=$(dpkg-parsechangelog -l "$src/debian/changelog" -SVersion)
tree=$out/quorvell-$version
rm -rf "$tree" "$out"/quorvell_"$version"_* "$out"/quorvell-dbgsym_"$version"_*
mkdir -p "$tree"

# The files git knows of (tracked, and new ones it does not ignore) that exist; out
# of a git checkout, everything but the build folders.
if git -C "$src" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    (cd "$src" && git ls-files -z --cached --others --exclude-standard \
        | while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done \
        | tar --null -cf - -T -) | tar -xf - -C "$tree"
else
    (cd "$src" && tar -cf - --exclude=./.git --exclude='./build*' --exclude="./${out#"$src"/}" .) | tar -xf - -C "$tree"
fi

echo "build-deb: building quorvell $version in $tree" >&2
if ! (cd "$tree" && dpkg-buildpackage -b -us -uc -j"$jobs") >"$out/build.log" 2>&1; then
    tail -n 40 "$out/build.log" >&2
    echo "build-deb: dpkg-buildpackage failed; the whole output is in $out/build.log" >&2
    exit 1
fi
rm -rf "$tree"
ls "$out"/quorvell_"$version"_*.deb

#!/usr/bin/env bash
# Each manual page (docs/man) against its program's --help, so the two cannot drift:
# the SYNOPSIS holds exactly the usage lines of --help, and the options the page
# describes (SYNOPSIS, OPTIONS, COMMANDS, TYPES) are exactly those --help names.
set -uo pipefail
src=${QUORVELL_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
bin=${QUORVELL_BINARY_DIR:-$src/build}
status=0
# sections PAGE NAME...: the lines of those sections, rendered too wide to wrap.
sections() {
    groff -man -Tascii -rLL=400n -P-cbou "$1" | awk -v names=" ${*:2} " '/^[A-Z][A-Z ]*$/ { keep = index(names, " " $0 " ") } keep && !/^[A-Z]/'
}
squeeze() { sed -E 's/[[:space:]]+/ /g; s/^ //; s/ $//' | grep .; }
# The options named in a text: -x and --long words after a blank, "[", "|", "(" or ",".
options() { grep -oE '(^|[][ |(,])--?[A-Za-z][A-Za-z0-9-]*' | sed -E 's/^[][ |(,]//' | sort -u; }
compare() {
    [ "$2" = "$3" ] && return
    { echo "FAIL: $1"; diff <(echo "$2") <(echo "$3") | sed -n 's/^</  page:/p; s/^>/  help:/p'; } >&2
    status=1
}
for program in app/quorvell tools/quorvell-mail/quorvell-mail tools/quorvell-script/quorvell-script \
    tools/quorvell-defaults/quorvell-defaults; do
    name=${program##*/}
    help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$bin/$program" --help 2>&1) || compare "$name --help fails" x y
    # "usage: PROGRAM ..." and the lines under it that start with the program's name.
    usage=$(awk -v name="$name" 'tolower($1) == "usage:" { sub(/^[^:]*: */, ""); sub(/^[^ ]*\//, ""); print; on = 1; next }
        on && $1 == name { print; next } { on = 0 }' <<<"$help" | squeeze)
    compare "$name.1 SYNOPSIS against the usage of --help" "$(sections "$src/docs/man/$name.1" SYNOPSIS | squeeze)" "$usage"
    compare "$name.1 against the options of --help" \
        "$(sections "$src/docs/man/$name.1" SYNOPSIS OPTIONS COMMANDS TYPES | options)" "$(options <<<"$help")"
done
exit $status

#!/usr/bin/env bash
# Each manual page (docs/man) against its program's --help, so that the two cannot
# drift: the page's SYNOPSIS holds exactly the usage lines that --help prints, and
# the options the page describes (SYNOPSIS, OPTIONS, COMMANDS, TYPES) are exactly
# those that --help names.
set -euo pipefail
: "${QUORVELL_SOURCE_DIR:=$(cd "$(dirname "$0")/../.." && pwd)}"
: "${QUORVELL_BINARY_DIR:=$QUORVELL_SOURCE_DIR/build}"
command -v groff >/dev/null || { echo "manpages: groff is missing (package groff-base)" >&2; exit 1; }

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The page as plain text, wide enough that no line of it wraps.
render() { groff -man -Tascii -rLL=400n -P-cbou "$1" 2>&1; }
# section TEXT NAME...: the lines of the named sections of a rendered page.
section() {
    local text=$1; shift
    awk -v names=" $* " '/^[A-Z][A-Z ]*$/ { keep = index(names, " " $0 " ") > 0; next } keep' <<<"$text"
}
squeeze() { sed -E 's/[[:space:]]+/ /g; s/^ //; s/ $//' | grep . || true; }
# The options named in a text: -x and --long words after a blank, "[", "|", "(" or ",".
options() { grep -oE '(^|[][ |(,])--?[A-Za-z][A-Za-z0-9-]*' | sed -E 's/^[][ |(,]//' | sort -u || true; }

for program in app/quorvell tools/quorvell-mail/quorvell-mail tools/quorvell-script/quorvell-script \
    tools/quorvell-defaults/quorvell-defaults; do
    name=$(basename "$program")
    page=$QUORVELL_SOURCE_DIR/docs/man/$name.1
    binary=$QUORVELL_BINARY_DIR/$program
    [ -f "$page" ] || { fail "$name has no manual page ($page)"; continue; }
    [ -x "$binary" ] || { fail "$name is not built ($binary)"; continue; }
    help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$binary" --help 2>&1) || fail "$name --help exits with $?"
    text=$(render "$page")
    grep -q '^troff\|warning' <<<"$text" && fail "$name.1 has roff warnings: $(grep 'warning' <<<"$text")"

    # Usage lines: "usage: PROGRAM ..." and the lines below it that start with the
    # program's name; the path the program was started by reads as its name.
    usage=$(awk -v name="$name" '
        tolower($1) == "usage:" { sub(/^[^:]*:[ \t]*/, ""); sub(/^[^ ]*\//, ""); print; going = 1; next }
        going && $1 == name { print; next }
        { going = 0 }' <<<"$help" | squeeze)
    synopsis=$(section "$text" SYNOPSIS | squeeze)
    [ -n "$usage" ] || fail "$name --help prints no usage line"
    if [ "$usage" != "$synopsis" ]; then
        fail "$name.1 SYNOPSIS differs from --help:
$(diff <(echo "$synopsis") <(echo "$usage") | sed -n 's/^</  page:/p; s/^>/  help:/p')"
    fi

    helpOptions=$(options <<<"$help")
    pageOptions=$(section "$text" SYNOPSIS OPTIONS COMMANDS TYPES | options)
    if [ "$helpOptions" != "$pageOptions" ]; then
        fail "$name.1 and --help name different options:
$(diff <(echo "$pageOptions") <(echo "$helpOptions") | sed -n 's/^</  only in the page:/p; s/^>/  only in --help:/p')"
    fi
done
[ "$failures" -eq 0 ] || exit 1
echo "manpages: every page agrees with its program's --help" >&2

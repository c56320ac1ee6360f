-- expect: 2|true|false|Hello|Hello||2|Hello|x|1|2
-- The selection is a list like any other: its items are the same messages each
-- time they are read, in either order, and it can be copied and changed.
set AppleScript's text item delimiters to "|"
set r to {}
tell application "Mail"
    set s to selection
    set end of r to count of s
    set end of r to (item 1 of s) = (item 1 of selection)
    set end of r to (item 1 of s) = (item 2 of s)
    set end of r to subject of item 1 of s
    set end of r to subject of last item of reverse of s
    set end of r to subject of item 1 of reverse of s
    copy s to c
    set item 1 of s to "x"
    set end of r to count of c
    set end of r to subject of item 1 of c
    set end of r to item 1 of s
    set end of r to id of item 1 of c
    set end of r to id of item 2 of c
end tell
r as text

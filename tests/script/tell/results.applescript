-- expect: 0 1|Hello|1|Ann Example <ann@example.org>|1234|true|Hello|Sunday, December 6, 2026|true|0|2 Ann Example bob@example.org 2 Bob|Ann Example/ann@example.org|saved Hello in /tmp/out as PDF|77|21|1:Hello\r2:missing value\r
-- What a script reads and sends inside a tell block, one result per line.
set AppleScript's text item delimiters to "|"
set r to {}
tell application "Fixture"
    set m to item 1 of selection
    set s to subject of m
    set before to content reads -- properties are read when asked: the subject read no content
    set c to content of m
    set end of r to (before as text) & " " & ((content reads) - before)
    set end of r to {subject of m, id of m, reply to of m, message size of m, read status of m} as text
    set end of r to m's subject
    set end of r to date string of (date sent of m)
    set end of r to (subject of item 2 of selection) is missing value
    set end of r to count of to recipients of item 2 of selection -- no recipients: an empty list
    set f to first message
    set end of r to ((count of to recipients of f) as text) & " " & (name of item 1 of every to recipient of f) & " " & ¬
        (address of to recipient 2 of f) & " " & (count (every recipient of f)) & " " & (name of last to recipient of f)
    set rt to reply to of m
    set end of r to (extract name from rt) & "/" & (extract address from rt) -- a command's direct parameter
    set end of r to save m in "/tmp/out" as "PDF" -- labelled parameters, not coercions
    try
        fail with 77
    on error number n
        set end of r to n -- a command's own error number
    end try
    set out to ""
    repeat with x in reverse of selection
        set out to out & (id of x)
    end repeat
    set end of r to out
    set out to ""
    repeat with x in selection
        set out to out & (id of x) & ":" & (subject of x) & return
    end repeat
    set end of r to out
end tell
r as text

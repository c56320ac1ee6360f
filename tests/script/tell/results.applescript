-- expect: Hello|Ann Example <ann@example.org>|true|Hello|Sunday, December 6, 2026|true|0|2 Ann Example bob@example.org 2 Bob|Ann Example/ann@example.org|Can’t save as “DOCX”: the format is “PDF” or “RTF”.|-1703|21|1:Hello\r2:\r
-- What a script reads and sends inside a tell block, one result per line.
set AppleScript's text item delimiters to "|"
set r to {}
tell application "Mail"
    set m to item 1 of selection
    set end of r to {subject of m, reply to of m, read status of m} as text
    set end of r to m's subject
    set end of r to date string of (date sent of m)
    set end of r to (date sent of item 2 of selection) is missing value
    set end of r to count of to recipients of item 2 of selection -- no recipients: an empty list
    set f to first message of inbox
    set end of r to ((count of to recipients of f) as text) & " " & (name of item 1 of every to recipient of f) & " " & ¬
        (address of to recipient 2 of f) & " " & (count (every recipient of f)) & " " & (name of last to recipient of f)
    set rt to reply to of m
    set end of r to (extract name from rt) & "/" & (extract address from rt) -- a command's direct parameter
    try
        save m in "/proc/no/such/folder" as "DOCX" -- labelled parameters, not coercions
    on error e
        set end of r to e
    end try
    try
        extract name from 3
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

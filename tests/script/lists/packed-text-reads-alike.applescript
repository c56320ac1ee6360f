-- expect: 4|Hello|,Hello|Hello,|true|true|Hello,,Hello,,Hello|2|Hello/|false||4
-- Text a mail application hands over, collected by a loop, behaves as any list
-- of text, whether it is read, copied, shared, joined or changed.
set AppleScript's text item delimiters to "|"
set r to {}
tell application "Mail"
    set L to {}
    repeat 2 times
        repeat with m in selection
            set end of L to subject of m
        end repeat
    end repeat
end tell
set end of r to count of L
set end of r to item 1 of L
set AppleScript's text item delimiters to ","
set end of r to (reverse of items 1 thru 2 of L) as text
set end of r to (items 1 thru 2 of L) as text
set AppleScript's text item delimiters to "|"
set end of r to L contains {"", "Hello"}
set end of r to L = {"Hello", "", "Hello", ""}
set shared to L
copy L to kept
set end of shared to "Hello"
set AppleScript's text item delimiters to ","
set end of r to L as text
set AppleScript's text item delimiters to "|"
set item 2 of L to 2
set end of r to item 2 of L
set end of r to (item 1 of kept) & "/" & (item 2 of kept)
set end of r to (count of kept) = (count of L)
set end of r to last item of rest of kept
set end of r to count of kept
r as text

-- expect: 3 b
set AppleScript's text item delimiters to ","
set parts to text items of "a,b,c"
set r to ((count of parts) as text) & " " & (text item 2 of "a,b,c")
set AppleScript's text item delimiters to ""
r

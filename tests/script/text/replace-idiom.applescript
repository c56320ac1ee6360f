-- expect: one two three
set AppleScript's text item delimiters to "_"
set parts to text items of "one_two_three"
set AppleScript's text item delimiters to " "
set s to parts as text
set AppleScript's text item delimiters to ""
s

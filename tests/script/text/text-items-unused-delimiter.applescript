-- expect: 4|a+b++c
set AppleScript's text item delimiters to {"zzz", ","}
set parts to text items of "a,b,,c"
set AppleScript's text item delimiters to "+"
((count of parts) as text) & "|" & (parts as text)

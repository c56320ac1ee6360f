-- expect: a-b-c-d
set AppleScript's text item delimiters to {",", ";"}
set parts to text items of "a,b;c,d"
set AppleScript's text item delimiters to "-"
parts as text

-- expect: 2 2 -3
set AppleScript's text item delimiters to " "
{1.6 as integer, 2.5 as integer, -2.7 as integer} as text

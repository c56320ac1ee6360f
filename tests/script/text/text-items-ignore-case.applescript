-- expect: 3
set AppleScript's text item delimiters to "x"
count of text items of "aXbxc"

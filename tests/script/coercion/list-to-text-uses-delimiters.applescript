-- expect: a, b, 3
set AppleScript's text item delimiters to ", "
{"a", "b", 3} as text

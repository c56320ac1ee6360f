-- expect: 2
set text item delimiters to {"a", "b"}
count of (AppleScript's text item delimiters)

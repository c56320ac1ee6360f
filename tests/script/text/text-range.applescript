-- expect: ell|llo|h
set AppleScript's text item delimiters to "|"
{text 2 thru 4 of "hello", text -3 thru -1 of "hello", text 1 thru 1 of "hello"} as text

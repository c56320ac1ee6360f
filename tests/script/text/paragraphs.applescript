-- expect: 4|a|b|c|
set s to "a" & return & linefeed & "b" & return & "c" & linefeed
set p to paragraphs of s
set AppleScript's text item delimiters to "|"
((count of p) as text) & "|" & (p as text)

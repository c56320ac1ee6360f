-- expect: 5 e o {h, e}
set s to "hello"
set AppleScript's text item delimiters to ", "
((count of characters of s) as text) & " " & (character 2 of s) & " " & (character -1 of s) & " {" & ((characters 1 thru 2 of s) as text) & "}"

-- expect: 1 3 2 {2, 3} 3
set L to {1, 2, 3}
set AppleScript's text item delimiters to ", "
(item 1 of L as text) & " " & (item -1 of L) & " " & (middle item of L) & " {" & ((items 2 thru 3 of L) as text) & "} " & (last item of L)

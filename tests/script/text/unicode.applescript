-- expect: 5 Zoë
set s to "Zoë ü"
((count of characters of s) as text) & " " & (text 1 thru 3 of s)

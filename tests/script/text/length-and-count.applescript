-- expect: 5 5 3 2
((length of "hello") as text) & " " & (count "hello") & " " & (count of {1, 2, 3}) & " " & (number of {a:1, b:2})

-- expect: ab a 3 2 3
set s to "a"
set t to s
set s to s & "b" & ""
set L to {1, 2}
set M to L
set L to L & {3}
set N to {1, 2}
set N to N & 3
(s & " " & t & " " & (count of L) & " " & (count of M) & " " & (count of N))

-- expect: 12 integer 2.5 real 3 integer
set a to " 12 " as integer
set b to "2.5" as number
set c to "3" as number
(a as text) & " " & (class of a) & " " & b & " " & (class of b) & " " & c & " " & (class of c)

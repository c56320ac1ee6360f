-- expect: 1 3
set a to 5 as list
set b to {x:1, y:2, z:3} as list
((count of a) as text) & " " & (count of b)

-- expect: 1 2
set r to {a:1} & {b:2, a:9}
(a of r as text) & " " & (b of r)

-- expect: Ann 2
set r to {name:"Ann", kids:2}
(name of r) & " " & (kids of r)

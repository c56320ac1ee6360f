-- expect error -1728
set r to {a:1}
b of r

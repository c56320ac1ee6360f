-- expect: x3
"x" & 1 + 2

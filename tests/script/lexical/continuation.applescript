-- expect: abc
set s to "a" & ¬
    "b" & ¬
    "c"
s

set a to 1
set b to 2set c to 3
-- expect: 6
a + b + c

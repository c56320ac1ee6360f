-- expect: 99
set a to {1, 2, 3}
set b to a
set item 1 of b to 99
item 1 of a

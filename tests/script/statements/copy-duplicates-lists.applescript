-- expect: 1
set a to {1, {2, 3}}
copy a to b
set item 1 of b to 99
set item 1 of item 2 of b to 0
(item 1 of a) * (item 1 of item 2 of a) - 1

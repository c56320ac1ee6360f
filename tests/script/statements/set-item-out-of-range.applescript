-- expect error -10006
set L to {1, 2}
set item 5 of L to 3

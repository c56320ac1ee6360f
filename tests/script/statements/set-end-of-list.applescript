-- expect: 0123
set L to {1}
set end of L to 2
set end of L to 3
set beginning of L to 0
L as text

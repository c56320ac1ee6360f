-- expect error -2700
set L to {1}
set end of L to L

-- expect: 3
set the x to 3
the x

-- expect error -10006
set x to 3
set contents of x to 4

-- expect error -2740 at 2:12
set x to 1 @ 2

-- expect error -2740 at 2:5
set 3 to 4

-- expect error -2740 at 2:10
set s to "abc

-- expect error -2740 at 2:12
set s to "a\qb"

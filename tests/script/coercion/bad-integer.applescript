-- expect error -1700 at 2:1 Can’t make "12abc" into type integer.
"12abc" as integer

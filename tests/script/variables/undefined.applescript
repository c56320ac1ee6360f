-- expect error -2753 at 3:10 The variable y is not defined.
set x to 1
set z to y + 1

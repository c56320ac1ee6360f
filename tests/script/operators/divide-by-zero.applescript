-- expect error -2701 at 2:1 Can’t divide 1 by zero.
1 / 0

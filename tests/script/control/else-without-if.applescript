-- expect error -2741
set x to 1
else

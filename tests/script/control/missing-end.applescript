-- expect error -2741 at 5:1 Expected "end" (to close "repeat" at line 2) but found end of script.
repeat 3 times
    set x to 1


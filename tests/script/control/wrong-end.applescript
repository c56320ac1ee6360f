-- expect error -2741 at 4:5 Expected "end repeat" (to close "repeat" at line 2) but found "if".
repeat 3 times
    set x to 1
end if

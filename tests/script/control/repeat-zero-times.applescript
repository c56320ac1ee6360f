-- expect: 0
set n to 0
repeat 0 times
    set n to n + 1
end repeat
repeat with i from 3 to 1
    set n to n + 1
end repeat
n

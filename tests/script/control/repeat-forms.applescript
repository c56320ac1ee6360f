-- expect: 3|6|4|4|9|abc|531
set AppleScript's text item delimiters to ""
set n to 0
repeat 3 times
    set n to n + 1
end repeat
set total to 0
repeat with i from 1 to 3
    set total to total + i
end repeat
set w to 0
repeat while w < 4
    set w to w + 1
end repeat
set u to 0
repeat until u ≥ 4
    set u to u + 1
end repeat
set f to 0
repeat
    set f to f + 1
    if f = 9 then exit repeat
end repeat
set s to ""
repeat with c in {"a", "b", "c"}
    set s to s & c
end repeat
set d to ""
repeat with i from 5 to 1 by -2
    set d to d & i
end repeat
set AppleScript's text item delimiters to "|"
{n, total, w, u, f, s, d} as text

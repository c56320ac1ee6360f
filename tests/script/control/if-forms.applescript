-- expect: b c e
set out to {}
if 1 > 2 then set end of out to "a"
if 2 > 1 then set end of out to "b"
set x to 5
if x < 3 then
    set end of out to "x"
else if x < 10 then
    set end of out to "c"
else
    set end of out to "d"
end if
if x = 0 then
    set end of out to "y"
else
    set end of out to "e"
end if
set AppleScript's text item delimiters to " "
out as text

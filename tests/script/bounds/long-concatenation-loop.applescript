-- expect: 50000
set s to ""
repeat with i from 1 to 10000
    set s to s & "abcde"
end repeat
length of s

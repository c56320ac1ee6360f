-- expect: c-b-a-
set s to ""
repeat with ch in (reverse of characters of "abc")
    set s to s & ch & "-"
end repeat
s

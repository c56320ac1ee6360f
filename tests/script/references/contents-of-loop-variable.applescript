-- expect: a!b!
set out to ""
repeat with x in {"a", "b"}
    set out to out & (contents of x) & "!"
end repeat
out

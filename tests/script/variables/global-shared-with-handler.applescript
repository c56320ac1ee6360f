-- expect: 11
global counter
set counter to 10
on bump()
    global counter
    set counter to counter + 1
end bump
bump()
counter

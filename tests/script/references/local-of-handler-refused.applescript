-- expect error -1700 at 4:5 A reference to y, a local variable of a handler, is not supported.
on f()
    set y to 1
    a reference to y
end f
f()

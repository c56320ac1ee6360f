-- expect error -1721
on f(a)
    return a
end f
f(1, 2)

-- expect error -2753
set x to 1
on f()
    return x
end f
f()

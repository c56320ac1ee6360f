-- expect: 1
property p : 1
on f()
    local p
    set p to 2
    return p
end f
f()
p

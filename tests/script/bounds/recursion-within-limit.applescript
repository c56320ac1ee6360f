-- expect: 150
on depth(n)
    if n = 0 then return 0
    return 1 + depth(n - 1)
end depth
depth(150)

-- expect: 3
on grow(L)
    set end of L to 3
end grow
set L to {1, 2}
grow(L)
count of L

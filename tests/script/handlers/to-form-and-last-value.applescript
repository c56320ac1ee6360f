-- expect: 7
to addUp(a, b)
    a + b
end addUp
addUp(3, 4)

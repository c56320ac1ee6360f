-- expect: 4
on firstOver(L, limit)
    repeat with x in L
        if x > limit then return x as integer
    end repeat
    return 0
end firstOver
firstOver({1, 3, 4, 9}, 3)

-- expect: a-x
-- the handler changes s after its old value was read: the old value wins
global s
on sideEffect()
    set s to s & "-changed"
    return "-x"
end sideEffect
set s to "a"
set s to s & sideEffect()
s

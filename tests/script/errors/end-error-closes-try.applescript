-- expect: ok
try
    error "x"
on error
    set r to "ok"
end error
r

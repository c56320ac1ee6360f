-- expect error -1712
-- limits: steps=1000000
-- comparing every pair would take far longer than the bound allows
set L to {}
set M to {}
repeat 10000 times
    set end of L to 1
    set end of M to 1
end repeat
set end of M to 2
L contains M

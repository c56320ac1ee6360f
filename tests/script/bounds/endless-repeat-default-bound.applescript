-- expect error -1712
-- limits: ms=500
repeat
    set x to 1
end repeat

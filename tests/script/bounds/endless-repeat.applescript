-- expect error -1712
-- limits: steps=100000
repeat
end repeat

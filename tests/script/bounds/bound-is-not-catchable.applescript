-- expect error -1712
-- limits: steps=10000
repeat
    try
        repeat
        end repeat
    on error
        set caught to true
    end try
end repeat

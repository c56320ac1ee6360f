-- expect error -108
set s to "xxxxxxxxxxxxxxxx"
repeat 19 times
    set s to s & s
end repeat
-- eight million characters fit in a text but not in a list
count of characters of s

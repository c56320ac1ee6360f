-- expect error -108
set s to "xxxxxxxxxxxxxxxx"
repeat 40 times
    set s to s & s
end repeat

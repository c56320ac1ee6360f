-- expect error -108 The text would be 268435456 characters long; a text holds at most 134217728.
set s to "xxxxxxxxxxxxxxxx"
repeat 40 times
    set s to s & s
end repeat

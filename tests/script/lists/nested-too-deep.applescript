-- expect error -2706
set L to {}
repeat 100 times
    set L to {L}
end repeat

-- expect error -1728
script Box
    property n : 1
end script
Box's m

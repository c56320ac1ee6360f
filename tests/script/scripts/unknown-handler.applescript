-- expect error -1708 at 4:7
script Box
end script
Box's missing()

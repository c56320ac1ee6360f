-- expect: 5 5 9
script Box
    property n : 1
end script
set shared to Box
copy Box to fresh
set n of shared to 5
set fresh's n to 9
(Box's n as text) & " " & shared's n & " " & fresh's n

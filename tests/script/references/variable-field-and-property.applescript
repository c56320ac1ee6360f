-- expect: 5 7 4
script Box
    property n : 1
end script
set x to 1
set rec to {a:1}
set contents of (a reference to x) to 5
set contents of (a reference to a of rec) to 7
set r to a reference to n of Box
set contents of r to 4
(x as text) & " " & (a of rec) & " " & Box's n

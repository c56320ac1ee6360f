-- expect: 4 true script 7
property n : 7
script Box
    property n : 2
    on double()
        return my n * 2
    end double
    on self()
        return me
    end self
end script
(Box's double() as text) & " " & (Box's self() = Box) & " " & class of Box & " " & n

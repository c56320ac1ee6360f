-- expect: 2 1
on makeCounter()
    script
        property n : 0
        on inc()
            set n to n + 1
        end inc
    end script
end makeCounter
set a to makeCounter()
set b to makeCounter()
a's inc()
a's inc()
b's inc()
(a's n as text) & " " & b's n

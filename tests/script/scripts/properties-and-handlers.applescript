-- expect: 3
script Counter
    property n : 0
    on inc()
        set n to n + 1
        return n
    end inc
end script
Counter's inc()
Counter's inc()
tell Counter to inc()
Counter's n

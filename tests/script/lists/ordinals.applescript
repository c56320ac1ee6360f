-- expect: b c
(second item of {"a", "b", "c"}) & " " & (third item of {"a", "b", "c"})

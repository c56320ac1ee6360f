-- expect: 3 0 2
((offset of "c" in "abcd") as text) & " " & (offset of "z" in "abcd") & " " & (offset of "B" in "abc")

-- expect: 3 abc
(contents of 3 as text) & " " & contents of "abc"

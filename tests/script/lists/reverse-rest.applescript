-- expect: 321 23
((reverse of {1, 2, 3}) as text) & " " & ((rest of {1, 2, 3}) as text)

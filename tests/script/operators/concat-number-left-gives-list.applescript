-- expect: 2
count of (1 & "a")

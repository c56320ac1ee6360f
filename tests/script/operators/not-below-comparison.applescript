-- expect: true
not 1 = 2

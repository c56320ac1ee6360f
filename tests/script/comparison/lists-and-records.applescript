-- expect: true
({1, "a"} = {1, "A"}) and ({a:1, b:2} = {b:2, a:1}) and ({1, 2} ≠ {2, 1})

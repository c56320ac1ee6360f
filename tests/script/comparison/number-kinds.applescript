-- expect: true
(1 = 1.0) and (2 < 2.5) and not (1 = "1")

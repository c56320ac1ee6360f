-- expect: 3.0
6 / 2

-- expect error -1728
set {a, b, c} to {1, 2}

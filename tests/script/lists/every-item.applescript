-- expect: 3
count of (every item of {"a", "b", "c"})

-- expect: 4
count of ({1, 2} & {3, 4})

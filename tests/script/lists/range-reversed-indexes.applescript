-- expect: 234
(items 4 thru 2 of {1, 2, 3, 4, 5}) as text

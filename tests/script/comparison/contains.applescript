-- expect: true
("abcdef" contains "CD") and ({1, 2, 3} contains 2) and ({1, 2, 3} contains {2, 3}) and not ({1, 2, 3} contains {3, 2}) and ("b" is in "abc") and (4 is not in {1, 2}) and ("abc" does not contain "x") and ({a:1, b:2} contains {b:2})

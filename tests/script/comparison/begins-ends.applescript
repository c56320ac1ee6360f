-- expect: true
("Hello" begins with "he") and ("Hello" starts with "H") and ("Hello" ends with "LO") and ({1, 2, 3} begins with 1) and ({1, 2, 3} ends with {2, 3}) and ("abc" does not start with "b")

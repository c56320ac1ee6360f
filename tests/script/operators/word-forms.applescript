-- expect: true
(3 is greater than 2) and (2 is less than 3) and (2 is not equal to 3) and (3 ≥ 3) and (2 ≤ 3) and (3 >= 3) and (2 <= 2) and (1 ≠ 2) and (1 is not 2) and (4 comes after 3) and ("a" comes before "b") and (2 is greater than or equal to 2) and (1 is less than or equal to 2) and (2 isn't 3) and (2 equals 2)

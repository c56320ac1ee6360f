-- expect: true
("apple" < "Banana") and ("b" > "A") and ("10" < 9)

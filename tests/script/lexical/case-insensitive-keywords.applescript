-- expect: 10
SET Total TO 4
Set total to TOTAL + 6
RETURN total

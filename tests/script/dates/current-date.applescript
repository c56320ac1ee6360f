-- expect: true
set d to current date
(year of d > 2000) and ((current date) - d < 5)

-- expect: Ann 31
set r to {name:"Ann", age:30}
set age of r to 31
set city of r to "X"
(name of r) & " " & (r's age)

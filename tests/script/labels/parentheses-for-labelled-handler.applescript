-- expect error -1721
on greet given name:who
end greet
greet("Ann")

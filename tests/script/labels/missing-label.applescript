-- expect error -1721 at 4:1
on greet given name:who
end greet
greet given nickname:"Ann"

-- expect error -1721
on greet(who)
end greet
greet given name:"Ann"

-- expect error 1234 at 3:5 custom
on f()
    error "custom" number 1234
end f
f()

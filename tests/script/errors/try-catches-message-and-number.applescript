-- expect: bad thing 42
try
    error "bad thing" number 42
on error msg number n
    msg & " " & n
end try

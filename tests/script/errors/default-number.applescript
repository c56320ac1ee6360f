-- expect: -2700
try
    error "x"
on error number n
    n
end try

-- expect: The variable nope is not defined.|-2753
try
    nope
on error m number n
    m & "|" & n
end try

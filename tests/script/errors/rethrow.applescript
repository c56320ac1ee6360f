-- expect error -1728
try
    item 9 of {1}
on error m number n
    error m number n
end try

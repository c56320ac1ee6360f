-- expect: after
try
    set x to 1 / 0
end try
"after"

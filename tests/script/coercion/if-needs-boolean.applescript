-- expect error -1700
if 1 then
    return "no"
end if

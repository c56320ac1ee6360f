-- expect error -2740
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
if true then
set x to 1
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if

-- expect: 30
set n to 0
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
if true then
set n to n + 1
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
end if
n

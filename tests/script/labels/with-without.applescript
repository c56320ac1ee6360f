-- expect: hi! hi
on shout of s given loud:flag
    if flag then return s & "!"
    return s
end shout
(shout of "hi" with loud) & " " & (shout of "hi" without loud)

-- expect: 2 b-d 8
on findText of needle in haystack
    return offset of needle in haystack
end findText
on span from a thru b
    return a & "-" & b
end span
on double of x
    return x * 2
end double
((findText of "b" in "abc") as text) & " " & (span from "b" through "d") & " " & (double of 4)

-- expect: c,b,a|é|ell|3|6|4
-- An index or range bound written as a bare variable, as loops need it.
set theList to {"a", "b", "c"}
set out to {}
repeat with i from (count of theList) to 1 by -1
    set end of out to item i of theList
end repeat
set AppleScript's text item delimiters to ","
set s to "héllo"
set i to 2
set j to 4
set n to number of items in theList
set m to count characters in "abcdef"
set k to 1
(out as text) & "|" & character i of s & "|" & text i thru j of "hello" & "|" & n & "|" & m & "|" & (item (k + 3) of {1, 2, 3, 4})

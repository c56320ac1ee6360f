-- expect: true true true true false true true false 9
set r to {}
ignoring white space
    set end of r to "a b c" = "abc"
end ignoring
ignoring hyphens and punctuation
    set end of r to "e-mail, please!" = "email please"
end ignoring
ignoring diacriticals
    set end of r to "café" = "cafe"
end ignoring
considering numeric strings
    set end of r to "1.10" > "1.9"
end considering
set end of r to "1.10" > "1.9"
ignoring white space
    considering case
        set end of r to "A B" = "AB"
    end considering
    set end of r to "x y z" contains "yz"
end ignoring
set end of r to "a b" = "ab"
ignoring punctuation
    set end of r to offset of "ef" in "a.b.c.d.ef"
end ignoring
set AppleScript's text item delimiters to " "
r as text

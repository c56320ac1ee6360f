-- expect: 2 4 -2 3 -3 2 3 -2 3 -3 7 20000000000
-- Rounding to nearest sends halves to the even neighbour; "as taught in school" away from zero.
set out to {round 2.5, round 3.5, round -2.5, ¬
    round 2.1 rounding up, round -2.1 rounding down, round 2.9 rounding toward zero, ¬
    round 2.5 rounding as taught in school, round -2.5 rounding toward zero, ¬
    round 2.5 rounding to nearest + 1, round -2.5 rounding as taught in school, round 7, round 2.0E+10}
set AppleScript's text item delimiters to " "
out as text

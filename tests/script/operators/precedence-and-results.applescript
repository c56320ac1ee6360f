-- expect: true|x3|4|2|a12|3.0|real|true|14|512.0|7|4.0|true|true|3 1 -3 -1 3 1.5|1 2
-- One result per line; each comment says the rule the line shows.
set r to {}
set end of r to true or false and false -- "and" binds tighter than "or"
set end of r to "x" & 1 + 2 -- concatenation binds below arithmetic
set end of r to count of ({1, 2} & {3, 4}) -- two lists join into one
set end of r to count of (1 & "a") -- a number on the left gives a list
set end of r to "a" & {1, 2} -- text on the left gives text
set end of r to 6 / 2 -- division gives a real
set end of r to class of (9223372036854775807 + 1) -- an integer overflow becomes a real
set end of r to not 1 = 2 -- "not" binds below comparison
set end of r to 2 + 3 * 4
set end of r to 2 ^ 3 ^ 2 -- power associates to the right
set end of r to "3" + 4 -- text that reads as a number takes part in arithmetic
set end of r to -2 ^ 2 -- unary minus binds tighter than power
-- the right sides would fail on an undefined variable if they were evaluated
set end of r to (true or undefinedThing) and (not (false and undefinedThing))
set end of r to (3 is greater than 2) and (2 is less than 3) and (2 is not equal to 3) and (3 ≥ 3) and (2 ≤ 3) and (3 >= 3) and (2 <= 2) and (1 ≠ 2) and (1 is not 2) and (4 comes after 3) and ("a" comes before "b") and (2 is greater than or equal to 2) and (1 is less than or equal to 2) and (2 isn't 3) and (2 equals 2)
set AppleScript's text item delimiters to " "
set end of r to {7 div 2, 7 mod 2, -7 div 2, -7 mod 3, 7.5 div 2, 7.5 mod 3} as text
set x to {a:1} & {b:2, a:9} -- the left record's field wins
set end of r to (a of x as text) & " " & (b of x)
set AppleScript's text item delimiters to "|"
r as text

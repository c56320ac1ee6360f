-- expect: 42|1.5|10000.0|1.0E+4|1.0E-5|-0.25|true
-- 10000.0 as written in source reads back in exponent form
set AppleScript's text item delimiters to "|"
{42 as text, 1.5 as text, "10000.0", 10000.0 as text, 1.0E-5 as text, -0.25 as string, true as text} as text

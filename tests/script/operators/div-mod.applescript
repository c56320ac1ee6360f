-- expect: 3 1 -3 -1 3 1.5
set AppleScript's text item delimiters to " "
{7 div 2, 7 mod 2, -7 div 2, -7 mod 3, 7.5 div 2, 7.5 mod 3} as text

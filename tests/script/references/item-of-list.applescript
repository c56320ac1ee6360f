-- expect: 20 1 20 3 21
set L to {1, 2, 3}
set r to a reference to item 2 of L
set contents of r to 20
set AppleScript's text item delimiters to " "
{contents of r, L, r + 1} as text

-- expect: {1500.0, 0.5, 42, 2.5, 1.0E+20}
set r to {1.5E+3, .5, 42, 25.0E-1, 1e20}
-- lists have no text; join them to see each item
set AppleScript's text item delimiters to ", "
"{" & (r as text) & "}"

-- expect: false false false
-- A value's class is integer or real, never number; and a class is not its name.
set AppleScript's text item delimiters to " "
{class of 3 is number, 3 is number, class of "a" = "text"} as text

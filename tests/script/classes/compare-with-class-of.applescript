-- expect: true true true true true true true true true
set AppleScript's text item delimiters to " "
set d to current date
{class of "a" is text, class of {1} is list, class of 3 is integer, class of 2.5 is real, ¬
    class of {a:1} is record, class of true is boolean, class of d is date, ¬
    class of (class of 3) is class, class of "a" is string} as text

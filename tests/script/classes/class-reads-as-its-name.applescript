-- expect: list|integer|The class is record|text
set AppleScript's text item delimiters to "|"
{(class of {}) as text, class of 3, "The class is " & class of {a:1}, unicode text} as text

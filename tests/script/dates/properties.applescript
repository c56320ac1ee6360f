-- expect: 2026 December 6 Sunday 7 15 56 12
set d to date "Sunday, December 6, 2026 at 7:15:56 AM"
set AppleScript's text item delimiters to " "
{year of d, month of d, day of d, weekday of d, hours of d, minutes of d, seconds of d, (month of d) as integer} as text

-- expect: Monday, December 7, 2026 at 8:15:56 AM|90000
set d to date "Sunday, December 6, 2026 at 7:15:56 AM"
set later to d + 1 * days + 1 * hours
set AppleScript's text item delimiters to "|"
{later as text, later - d} as text

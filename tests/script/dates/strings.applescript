-- expect: Sunday, December 6, 2026|12/6/26|7:15:56 AM|Sunday, December 6, 2026 at 7:15:56 AM
set d to date "Sunday, December 6, 2026 at 7:15:56 AM"
set AppleScript's text item delimiters to "|"
{date string of d, short date string of d, time string of d, d as text} as text

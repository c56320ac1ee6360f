-- expect: ann@example.org, bob@example.org|Ann Example|0
tell application "Mail"
    set m to item 1 of (get selection)
    set addresses to address of every to recipient of m
    set names to name of to recipients of m
    set none to address of every to recipient of item 2 of (get selection)
end tell
set AppleScript's text item delimiters to ", "
(addresses as text) & "|" & item 1 of names & "|" & (count of none)

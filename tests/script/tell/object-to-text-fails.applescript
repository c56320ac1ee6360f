-- expect error -1700
tell application "Mail"
    (item 1 of selection) as text
end tell

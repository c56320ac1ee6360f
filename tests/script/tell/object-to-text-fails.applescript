-- expect error -1700
tell application "Fixture"
    (item 1 of selection) as text
end tell

-- expect none
tell application "Fixture"
    item 1 of selection
end tell

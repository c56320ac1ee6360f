-- expect: 0
tell application "Fixture"
    count of to recipients of item 2 of selection
end tell

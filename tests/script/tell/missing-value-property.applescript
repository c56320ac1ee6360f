-- expect: true
tell application "Fixture"
    (subject of item 2 of selection) is missing value
end tell

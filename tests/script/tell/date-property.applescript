-- expect: Sunday, December 6, 2026
tell application "Fixture"
    date string of (date sent of item 1 of selection)
end tell

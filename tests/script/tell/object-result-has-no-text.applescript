-- expect none
tell application "Mail"
    item 1 of selection
end tell

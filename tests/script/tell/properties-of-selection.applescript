-- expect: Hello|1|Ann Example <ann@example.org>|1234|true
tell application "Fixture"
    set m to item 1 of selection
    set AppleScript's text item delimiters to "|"
    {subject of m, id of m, reply to of m, message size of m, read status of m} as text
end tell

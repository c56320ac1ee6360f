-- expect: Hello
tell application "Fixture"
    set m to item 1 of selection
    m's subject
end tell

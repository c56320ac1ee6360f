-- expect: Hello!
property suffix : "!"
tell application "Fixture"
    set s to subject of item 1 of selection
end tell
s & my suffix

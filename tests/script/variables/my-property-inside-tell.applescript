-- expect: Hello!
property suffix : "!"
tell application "Mail"
    set s to subject of item 1 of selection
end tell
s & my suffix

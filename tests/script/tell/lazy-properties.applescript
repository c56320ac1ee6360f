-- expect: 0 1
tell application "Fixture"
    set m to item 1 of selection
    set s to subject of m
    set before to content reads
    set c to content of m
    set after to content reads
end tell
(before as text) & " " & (after - before)

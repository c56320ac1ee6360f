-- expect: 2 Ann Example bob@example.org 2 Bob
tell application "Fixture"
    set m to first message
    set n to count of to recipients of m
    set a to name of item 1 of every to recipient of m
    set b to address of to recipient 2 of m
    set c to count (every recipient of m)
    set d to name of last to recipient of m
end tell
(n as text) & " " & a & " " & b & " " & c & " " & d

-- expect: 21
set reverseOrder to false
set reverseOrder to true
tell application "Fixture"
    set msgs to selection
    if reverseOrder then set msgs to reverse of msgs
    set out to ""
    repeat with m in msgs
        set out to out & (id of m)
    end repeat
end tell
out

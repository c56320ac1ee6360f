-- expect: 1:Hello\r2:missing value\r
set out to ""
tell application "Fixture"
    repeat with m in selection
        set out to out & (id of m) & ":" & (subject of m) & return
    end repeat
end tell
out

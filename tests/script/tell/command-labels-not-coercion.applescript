-- expect: saved Hello in /tmp/out as PDF
tell application "Fixture"
    save item 1 of selection in "/tmp/out" as "PDF"
end tell

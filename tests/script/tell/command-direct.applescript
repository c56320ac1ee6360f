-- expect: Ann Example/ann@example.org
tell application "Fixture"
    set r to reply to of item 1 of selection
    (extract name from r) & "/" & (extract address from r)
end tell

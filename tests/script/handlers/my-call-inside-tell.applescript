-- expect: 4
on twice(x)
    return x * 2
end twice
tell application "Fixture"
    my twice(2)
end tell

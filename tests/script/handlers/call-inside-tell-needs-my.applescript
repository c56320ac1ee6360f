-- expect error -1708
on twice(x)
    return x * 2
end twice
tell application "Fixture"
    twice(2)
end tell

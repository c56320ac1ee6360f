-- expect: 4
on twice(x)
    return x * 2
end twice
tell application "Mail"
    my twice(2)
end tell

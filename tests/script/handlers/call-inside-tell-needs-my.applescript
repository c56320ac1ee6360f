-- expect error -1708
on twice(x)
    return x * 2
end twice
tell application "Mail"
    twice(2)
end tell

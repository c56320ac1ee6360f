-- expect error -600 Application isn't running.
tell application "Nowhere Mail"
    get selection
end tell

-- expect error -2740 at 3:5 “with timeout” is not supported by this script engine.
tell application "Mail"
    with timeout of 10 seconds
        get selection
    end timeout
end tell

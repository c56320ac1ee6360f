-- expect: 77
tell application "Fixture"
    try
        fail with 77
    on error number n
        n
    end try
end tell

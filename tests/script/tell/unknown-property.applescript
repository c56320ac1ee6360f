-- expect error -1728 Can’t get broken of message id 1 of application "Fixture".
tell application "Fixture"
    broken of item 1 of selection
end tell

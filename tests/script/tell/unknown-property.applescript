-- expect error -1728 Can’t get broken of message id 1 of mailbox "INBOX" of application "Mail".
tell application "Mail"
    broken of item 1 of selection
end tell

-- expect: true|message|true|false
set AppleScript's text item delimiters to "|"
tell application "Mail"
    set m to item 1 of (get selection)
    {class of m is message, class of m, class of (mailbox of m) is mailbox, class of m is mailbox} as text
end tell

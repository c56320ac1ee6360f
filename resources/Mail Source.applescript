set reverseOrder to false
-- Copies the raw source of every selected message. A line of 40 dashes
-- separates the messages, so that it cannot be taken for the empty line that
-- ends a header block.
-- reverseOrder above takes the messages from the last selected to the first.

tell application "Mail"
	set theMessages to selection
	if reverseOrder then set theMessages to reverse of theMessages
	set theItems to {}
	repeat with theMessage in theMessages
		set end of theItems to (source of theMessage)
	end repeat
end tell
return joinList(theItems, linefeed & "----------------------------------------" & linefeed)

on joinList(theList, theDelimiter)
	set savedDelimiters to AppleScript's text item delimiters
	set AppleScript's text item delimiters to theDelimiter
	set theText to theList as text
	set AppleScript's text item delimiters to savedDelimiters
	return theText
end joinList

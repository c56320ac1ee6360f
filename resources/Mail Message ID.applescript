set reverseOrder to false
-- Copies the Message-ID header of every selected message, one a line, without
-- its angle brackets; a message without one adds no line.
-- reverseOrder above takes the messages from the last selected to the first.

tell application "Mail"
	set theMessages to selection
	if reverseOrder then set theMessages to reverse of theMessages
	set theItems to {}
	repeat with theMessage in theMessages
		set theID to message id of theMessage
		if theID is not "" then set end of theItems to theID
	end repeat
end tell
return joinList(theItems, linefeed)

on joinList(theList, theDelimiter)
	set savedDelimiters to AppleScript's text item delimiters
	set AppleScript's text item delimiters to theDelimiter
	set theText to theList as text
	set AppleScript's text item delimiters to savedDelimiters
	return theText
end joinList

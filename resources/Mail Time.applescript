set reverseOrder to false
-- Copies the time every selected message was sent, one a line (the time it was
-- received when it carries none).
-- reverseOrder above takes the messages from the last selected to the first.

tell application "Mail"
	set theMessages to selection
	if reverseOrder then set theMessages to reverse of theMessages
	set theItems to {}
	repeat with theMessage in theMessages
		set theDate to date sent of theMessage
		if theDate is missing value then set theDate to date received of theMessage
		set end of theItems to (theDate's time string)
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

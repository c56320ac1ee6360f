set reverseOrder to false
-- Copies the header lines and the text of every selected message; an empty
-- line separates the headers from the text, and a line of 40 dashes one message
-- from the next.
-- reverseOrder above takes the messages from the last selected to the first.

tell application "Mail"
	set theMessages to selection
	if reverseOrder then set theMessages to reverse of theMessages
	set theItems to {}
	repeat with theMessage in theMessages
		set end of theItems to (all headers of theMessage) & linefeed & linefeed & (content of theMessage)
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

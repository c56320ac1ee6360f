set reverseOrder to false
-- Copies where a reply to every selected message goes, one a line: its Reply-To
-- addresses, or its sender when it names none.
-- reverseOrder above takes the messages from the last selected to the first.

tell application "Mail"
	set theMessages to selection
	if reverseOrder then set theMessages to reverse of theMessages
	set theItems to {}
	repeat with theMessage in theMessages
		set theAddress to reply to of theMessage
		if theAddress is missing value or theAddress is "" then set theAddress to sender of theMessage
		set end of theItems to theAddress
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

set reverseOrder to false
-- Copies every recipient of every selected message (To, then Cc, then Bcc),
-- one a line, as "Name <address>" or as the bare address when there is no name.
-- reverseOrder above takes the messages from the last selected to the first.

tell application "Mail"
	set theMessages to selection
	if reverseOrder then set theMessages to reverse of theMessages
	set theItems to {}
	repeat with theMessage in theMessages
		repeat with theRecipient in (every recipient of theMessage)
			set theName to name of theRecipient
			set theAddress to address of theRecipient
			if theName is missing value or theName is "" then
				set end of theItems to theAddress
			else
				set end of theItems to theName & " <" & theAddress & ">"
			end if
		end repeat
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

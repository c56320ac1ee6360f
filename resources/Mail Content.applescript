set reverseOrder to false
-- Copies the text of every selected message, followed by one line per
-- attachment ("Attachment: name (size)"). A line of 40 dashes separates the
-- messages, so that it cannot be taken for a paragraph break.
-- reverseOrder above takes the messages from the last selected to the first.

tell application "Mail"
	set theMessages to selection
	if reverseOrder then set theMessages to reverse of theMessages
	set theItems to {}
	repeat with theMessage in theMessages
		set theText to content of theMessage
		set theNotes to {}
		repeat with theAttachment in (every mail attachment of theMessage)
			set end of theNotes to "Attachment: " & (name of theAttachment) & " (" & my sizeText(file size of theAttachment) & ")"
		end repeat
		if theNotes is not {} then
			if theText is "" then
				set theText to my joinList(theNotes, linefeed)
			else
				set theText to theText & linefeed & linefeed & my joinList(theNotes, linefeed)
			end if
		end if
		set end of theItems to theText
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

-- A byte count as a person reads it: "900 bytes", "12 KB", "3 MB".
on sizeText(theBytes)
	if theBytes < 1024 then return (theBytes as text) & " bytes"
	if theBytes < 1048576 then return (((theBytes + 512) div 1024) as text) & " KB"
	return (((theBytes + 524288) div 1048576) as text) & " MB"
end sizeText

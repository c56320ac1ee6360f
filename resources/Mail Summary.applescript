set reverseOrder to false
-- Copies a summary of every selected message: sender, subject, date, time, the
-- To, Cc and Bcc recipients (a line each, when there are any), one line per
-- attachment with its size, and the text; a line of 40 dashes separates the
-- messages.
-- reverseOrder above takes the messages from the last selected to the first.

tell application "Mail"
	set theMessages to selection
	if reverseOrder then set theMessages to reverse of theMessages
	set theItems to {}
	repeat with theMessage in theMessages
		set theDate to date sent of theMessage
		if theDate is missing value then set theDate to date received of theMessage
		set theLines to {"From: " & (sender of theMessage), "Subject: " & (subject of theMessage)}
		set end of theLines to "Date: " & (theDate's date string)
		set end of theLines to "Time: " & (theDate's time string)
		set end of theLines to "To: " & my recipientList(every to recipient of theMessage)
		set theCc to every cc recipient of theMessage
		if theCc is not {} then set end of theLines to "Cc: " & my recipientList(theCc)
		set theBcc to every bcc recipient of theMessage
		if theBcc is not {} then set end of theLines to "Bcc: " & my recipientList(theBcc)
		repeat with theAttachment in (every mail attachment of theMessage)
			set end of theLines to "Attachment: " & (name of theAttachment) & " (" & my sizeText(file size of theAttachment) & ")"
		end repeat
		set end of theLines to ""
		set end of theLines to content of theMessage
		set end of theItems to my joinList(theLines, linefeed)
	end repeat
end tell
return joinList(theItems, linefeed & "----------------------------------------" & linefeed)

-- Recipients as "Name <address>", or the bare address, joined by commas.
on recipientList(theRecipients)
	set theTexts to {}
	tell application "Mail"
		repeat with theRecipient in theRecipients
			set theName to name of theRecipient
			set theAddress to address of theRecipient
			if theName is missing value or theName is "" then
				set end of theTexts to theAddress
			else
				set end of theTexts to theName & " <" & theAddress & ">"
			end if
		end repeat
	end tell
	return my joinList(theTexts, ", ")
end recipientList

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

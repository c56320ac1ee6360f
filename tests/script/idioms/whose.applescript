-- expect: 1|1|Hello|2|0|bob@example.org|3 4
tell application "Fixture"
    set hits to every message whose subject contains "ell"
    set big to messages whose message size > 2000
    set firstHit to subject of first message whose read status is true
    set lastOne to id of last message whose id > 0
    set none to every message whose subject is "nothing"
    set bobs to address of every to recipient of item 1 of (get selection) whose name begins with "B"
end tell
set nums to every item of {1, 2, 3, 4} whose it > 2
set AppleScript's text item delimiters to " "
set nums to nums as text
set AppleScript's text item delimiters to ""
"" & (count of hits) & "|" & (count of big) & "|" & firstHit & "|" & lastOne & "|" & (count of none) & "|" & bobs & "|" & nums

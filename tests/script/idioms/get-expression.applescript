-- expect: 3|Hello|2
set x to get 3
tell application "Mail"
    set firstSubject to subject of item 1 of (get selection)
    set n to 0
    repeat with m in (get selection)
        set n to n + 1
    end repeat
end tell
(x as text) & "|" & firstSubject & "|" & n

-- expect error -2700
repeat with i from 1 to 3 by 0
end repeat

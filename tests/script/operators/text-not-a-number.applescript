-- expect error -1700
"abc" + 1

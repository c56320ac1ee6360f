-- expect error -1728
text 2 thru 10 of "abc"

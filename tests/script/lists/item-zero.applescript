-- expect error -1719
item 0 of {1, 2}

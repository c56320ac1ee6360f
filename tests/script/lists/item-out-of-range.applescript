-- expect error -1728 at 2:1 Can’t get item 5 of {1, 2}.
item 5 of {1, 2}

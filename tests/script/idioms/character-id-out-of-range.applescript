-- expect error -1700 at 2:1
character id 55296

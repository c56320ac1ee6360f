-- expect error -30720
date "not a date"

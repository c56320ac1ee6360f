-- expect error -1700
integer as number

-- expect error -1700
"yes" as boolean

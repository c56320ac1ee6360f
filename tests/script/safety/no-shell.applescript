-- expect error -2741
tell application "Mail" to do shell script "ls"

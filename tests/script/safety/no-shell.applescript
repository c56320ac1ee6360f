-- expect error -2740
tell application "Mail" to do shell script "ls"

-- expect error -2741
tell application "Fixture" to do shell script "ls"

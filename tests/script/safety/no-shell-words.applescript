-- expect error -2740 at 2:1 “do shell script” is not supported by this script engine.
do shell script "ls"

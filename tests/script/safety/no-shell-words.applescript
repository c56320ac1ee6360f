-- expect error -2741
do shell script "ls"

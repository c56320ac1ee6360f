-- expect error -2741
run script "1 + 1"

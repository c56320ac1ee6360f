-- expect error -2740
run script "1 + 1"

-- expect error -2741
read file "/etc/passwd"

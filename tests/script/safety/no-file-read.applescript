-- expect error -2740
read file "/etc/passwd"

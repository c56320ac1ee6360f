-- expect error -2740
load script "/tmp/x.scpt"

-- expect error -2741
load script "/tmp/x.scpt"

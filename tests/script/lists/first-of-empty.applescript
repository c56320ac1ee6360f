-- expect error -1728
first item of {}

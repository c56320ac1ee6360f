-- expect error -1708
nothingHere(1)

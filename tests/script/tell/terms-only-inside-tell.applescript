-- expect error -2753
subject

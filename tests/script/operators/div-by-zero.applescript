-- expect error -2701
5 div 0

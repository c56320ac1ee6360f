-- expect: x missing value
"x " & missing value

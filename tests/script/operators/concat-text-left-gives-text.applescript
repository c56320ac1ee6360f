-- expect: a12
"a" & {1, 2}

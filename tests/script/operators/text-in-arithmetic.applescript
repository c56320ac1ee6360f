-- expect: 7
"3" + 4

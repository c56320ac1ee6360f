-- expect: one\ntwo
"one
two"

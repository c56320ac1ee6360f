-- expect: early
return "early"
"late"

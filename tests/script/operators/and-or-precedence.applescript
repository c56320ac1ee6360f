-- expect: true
true or false and false

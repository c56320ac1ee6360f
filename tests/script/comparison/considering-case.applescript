-- expect: false true
considering case
    set a to "Hello" = "hello"
end considering
ignoring case
    set b to "Hello" = "hello"
end ignoring
(a as text) & " " & b

-- expect: 60 3600 86400 604800 3.14159
(minutes as text) & " " & hours & " " & days & " " & weeks & " " & ((round_down(pi)) as text)
on round_down(x)
    return (x * 100000 div 1) / 100000
end round_down

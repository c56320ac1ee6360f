-- expect: Hello, Ann
on greet given name:who, greeting:salute
    return salute & ", " & who
end greet
greet given greeting:"Hello", name:"Ann"

-- expect: 3
property hits : 0
on hit()
    set hits to hits + 1
end hit
hit()
hit()
hit()
hits

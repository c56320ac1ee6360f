-- expect error -2740
on f()
end f
on f()
end f

-- expect: inner outer
on where()
    return "outer"
end where
script Box
    on where()
        return "inner"
    end where
    on both()
        return where() & " " & outer()
    end both
end script
on outer()
    return where()
end outer
Box's both()

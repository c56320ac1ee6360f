-- expect: ran
on run
    return "ran"
end run

-- expect: 4/Don't/bar
set w to words of "  Don't  foo-bar, ok?"
((count of w) as text) & "/" & (item 1 of w) & "/" & (word 3 of "  Don't  foo-bar, ok?")

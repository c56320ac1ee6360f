-- expect: Hello
tell application "Mail" to get subject of item 1 of selection

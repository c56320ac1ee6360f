-- expect: Hello
tell application "Fixture" to get subject of item 1 of selection

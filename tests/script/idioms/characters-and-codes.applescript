-- expect: A|65|é|142|Hi|65|{72, 105}|€|'it'\\''s a "test"'
set ids to id of "Hi"
set AppleScript's text item delimiters to ", "
(ASCII character 65) & "|" & (ASCII number "A") & "|" & (ASCII character 142) & "|" & (ASCII number "é") & "|" & ¬
    (character id {72, 105}) & "|" & (id of "A") & "|{" & (ids as text) & "}|" & (character id 8364) & "|" & ¬
    quoted form of "it's a \"test\""

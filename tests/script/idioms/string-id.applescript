-- expect: Hi A
string id {72, 105} & " " & (string id 65)

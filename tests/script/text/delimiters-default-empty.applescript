-- expect: abc
{"a", "b", "c"} as text

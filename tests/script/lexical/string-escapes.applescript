-- expect: a"b\\c\td\re\nf
"a\"b\\c\td\re\nf"

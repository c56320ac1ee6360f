-- expect: 14
2 + 3 * 4

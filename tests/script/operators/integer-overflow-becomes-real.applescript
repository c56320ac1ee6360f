-- expect: real
class of (9223372036854775807 + 1)

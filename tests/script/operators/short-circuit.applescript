-- expect: true
-- the right side would fail on an undefined variable
(true or undefinedThing) and (not (false and undefinedThing))

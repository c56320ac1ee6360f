-- expect: 3
# a hash comment
(* a block comment (* nested *) still inside
   over lines *)
set x to 1 -- trailing comment
set y to 2 # trailing hash
x + y

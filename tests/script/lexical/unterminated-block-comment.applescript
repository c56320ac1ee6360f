-- expect error -2740 at 2:1
(* never closed

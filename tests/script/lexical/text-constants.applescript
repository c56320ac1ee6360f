-- expect: [\r][\n][\t][ ]["]
"[" & return & "][" & linefeed & "][" & tab & "][" & space & "][" & quote & "]"

-- expect: true
"Hello" = "hELLO"

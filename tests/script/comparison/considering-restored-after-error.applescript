-- expect: true
try
    considering case
        error "boom"
    end considering
end try
"A" = "a"

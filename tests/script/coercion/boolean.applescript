-- expect: true
("true" as boolean) and not ("FALSE" as boolean)

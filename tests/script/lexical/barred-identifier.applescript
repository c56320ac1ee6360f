-- expect: 7
set |my odd name| to 7
|MY ODD NAME|

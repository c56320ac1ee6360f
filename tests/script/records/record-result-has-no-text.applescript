-- expect none
{a:1}

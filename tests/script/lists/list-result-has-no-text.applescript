-- expect none
{1, 2}

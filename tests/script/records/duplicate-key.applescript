-- expect error -2740
{a:1, a:2}

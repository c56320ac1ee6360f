-- expect: Sunday, December 6, 2026 at 7:15:56 AM
date "Sunday, December 6, 2026 at 7:15:56 AM"

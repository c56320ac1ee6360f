-- expect: true
(date "2026-12-06T07:15:56") = (date "Sunday, December 6, 2026 at 7:15:56 AM")

-- expect error -1728 at 3:5
-- Without a registered clipboard (as in this test) the clipboard is a clear error.
the clipboard

-- expect: 0
count of paragraphs of ""

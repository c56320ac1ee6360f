#pragma once
// The text of an HTML mail part as a person wants to paste it.
//
// One forward pass over the markup, linear in its length, with no document model
// and no resource loading of any kind: no file, URL, stylesheet or image is ever
// opened, whatever the markup names (@import, <link>, <img>, url(...)). Nothing
// here needs a GUI application object.
//
// What the pass gives:
// - text with runs of white space folded to one blank, except inside <pre>;
// - <br> as a line break; block elements (div, tr, li, ...) on lines of their own;
//   paragraphs, headings, lists, tables and quotes set off by an empty line;
// - list items as lines, "- " before items of <ul>, "1. " and so on in <ol>,
//   indented two blanks a level of nesting up to the fourth;
// - table cells of one row separated by a blank;
// - links as their text; images, scripts, styles, comments, the <head> and
//   <title> as nothing;
// - character references decoded: the named ones mail uses (the Latin-1 names and
//   the common typographic ones), decimal and hexadecimal ones, with 128-159 read
//   as Windows-1252 as browsers do, and invalid code points as U+FFFD.
// Markup it cannot read (an unclosed tag, a lone "<") is dropped or kept as text,
// never an error.

#include <QString>

namespace platform::mail {

[[nodiscard]] QString htmlToText(const QString& html);

}  // namespace platform::mail

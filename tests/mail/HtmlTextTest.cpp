// HTML parts as pasted text: what each construct leaves, and markup that is broken
// or hostile read without an error, a resource load or an object character.

#include "platform/mail/HtmlText.h"

#include <gtest/gtest.h>

#include <QString>

using platform::mail::htmlToText;

namespace {

struct HtmlCase {
    const char* name;
    const char* html;
    const char* text;
};

const HtmlCase kHtmlCases[] = {
    {"link keeps its text", "<p>See <a href=\"https://e.x/\">the page</a>.</p>", "See the page."},
    {"image leaves nothing", "<p>Logo<img src=\"cid:logo\" alt=\"Logo\"> here</p>", "Logo here"},
    {"scripts, styles, comments and the head leave nothing",
     "<html><head><title>T</title><style>@import url(\"file:///dev/zero\"); p{}</style>"
     "<link rel=stylesheet href=\"file:///etc/passwd\"></head><body><script>if (a<b) x()</script>"
     "<!-- hidden <p>text</p> -->Shown<!--[if mso]>no<![endif]--></body></html>",
     "Shown"},
    {"br breaks lines, paragraphs are set off", "one<br>two<br/><br>three<p>four</p><p>five</p>",
     "one\ntwo\n\nthree\n\nfour\n\nfive"},
    {"block elements start lines, cells share one", "<div>a</div><div>b</div><table><tr><td>c</td><td>d</td></tr>"
     "<tr><td>e</td></tr></table>",
     "a\nb\n\nc d\ne"},
    {"list items become lines", "<ul><li>one<li>two<ol><li>first</li><li>second</li></ol></ul>after",
     "- one\n- two\n  1. first\n  2. second\n\nafter"},
    {"white space folds, pre keeps it", "  a \n\t b&nbsp;&nbsp;c<pre>x  y\n  z</pre>", "a b c\n\nx  y\n  z"},
    {"character references",
     "&amp;&lt;&gt;&quot;&#39;&eacute;&Eacute;&#233;&#xE9;&#X1F600;&hellip;&euro;&#150;&amp &copy",
     "&<>\"'éÉéé😀…€–& ©"},
    {"invalid references and unknown names", "&#0;&#xD800;&#x110000;&#99999999999;&bogus;&;a & b&#x;",
     "\uFFFD\uFFFD\uFFFD\uFFFD&bogus;&;a & b&#x;"},
    {"invisible characters go", "a&shy;b&#8203;c&#xFEFF;d\uFFFC&#xFFFC;e&#1;&#127;", "abcde"},
    {"a > inside a quoted attribute does not end the tag", "<a title='x > y' href=\"a>b\">t</a>", "t"},
    {"a lone < is text, an unclosed tag goes", "1 < 2 <3 <b", "1 < 2 <3"},
    {"an unclosed comment or script swallows the rest", "a<!-- b", "a"},
    {"an end tag in any case closes a script", "a<SCRIPT>x</sCrIpT >b", "ab"},
    {"a quote inside an unquoted value opens nothing",
     "<p>See <a href=https://x.org/r?id='7>the offer</a> now.</p><p>It's free.</p><p>Bye</p>",
     "See the offer now.\n\nIt's free.\n\nBye"},
    {"deep nesting indents four levels at most", "<ul><ul><ul><ul><ul><ul><li>deep</ul></ul></ul></ul></ul></ul>",
     "      - deep"},
};

TEST(HtmlText, EachConstructLeavesWhatAReaderSees)
{
    for (const HtmlCase& c : kHtmlCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(htmlToText(QString::fromUtf8(c.html)).toStdString(), std::string(c.text));
    }
}

TEST(HtmlText, NestingKeepsTheTextLinear)
{
    const QString html = QStringLiteral("<ul>").repeated(12000) + QStringLiteral("<li>x").repeated(12000);
    EXPECT_LT(htmlToText(html).size(), 12000 * 12);
}

}  // namespace

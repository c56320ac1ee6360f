#include "platform/mail/HtmlText.h"

#include "platform/mail/HeaderBlock.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace platform::mail {
namespace {

// What an element does to the text around it.
enum class Role {
    Line,       // on a line of its own
    Paragraph,  // set off by an empty line
    Break,      // <br>: one more line break
    Item,       // <li>: a line with the list's marker
    Bullets,    // <ul>
    Numbers,    // <ol>
    Cell,       // <td>, <th>: a blank before it
    Pre,        // white space kept
    Skip,       // content is not text: everything up to the end tag goes
};

struct TagRule {
    std::string_view name;
    Role role;
};

// Elements not named here (a, b, span, font, img, ...) leave only their text.
constexpr TagRule kTagRules[] = {
    {"p", Role::Paragraph},      {"div", Role::Line},           {"br", Role::Break},
    {"li", Role::Item},          {"ul", Role::Bullets},         {"ol", Role::Numbers},
    {"td", Role::Cell},          {"th", Role::Cell},            {"tr", Role::Line},
    {"table", Role::Paragraph},  {"h1", Role::Paragraph},       {"h2", Role::Paragraph},
    {"h3", Role::Paragraph},     {"h4", Role::Paragraph},       {"h5", Role::Paragraph},
    {"h6", Role::Paragraph},     {"blockquote", Role::Paragraph}, {"pre", Role::Pre},
    {"hr", Role::Paragraph},     {"dl", Role::Paragraph},       {"dt", Role::Line},
    {"dd", Role::Line},          {"figure", Role::Paragraph},   {"address", Role::Paragraph},
    {"section", Role::Line},     {"article", Role::Line},       {"header", Role::Line},
    {"footer", Role::Line},      {"nav", Role::Line},           {"main", Role::Line},
    {"aside", Role::Line},       {"center", Role::Line},        {"caption", Role::Line},
    {"figcaption", Role::Line},  {"details", Role::Line},       {"summary", Role::Line},
    {"form", Role::Line},        {"fieldset", Role::Line},      {"legend", Role::Line},
    {"option", Role::Line},      {"body", Role::Line},          {"script", Role::Skip},
    {"style", Role::Skip},       {"title", Role::Skip},         {"template", Role::Skip},
};

const TagRule* ruleFor(std::string_view name)
{
    for (const TagRule& rule : kTagRules) {
        if (rule.name == name)
            return &rule;
    }
    return nullptr;
}

// The Latin-1 names, code points 160 to 255 in order.
constexpr std::array<std::string_view, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
    "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",
    "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12",
    "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde",
    "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",
    "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",
    "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

struct NamedReference {
    std::string_view name;
    char32_t codePoint;
};

constexpr NamedReference kOtherNames[] = {
    {"amp", '&'},        {"lt", '<'},          {"gt", '>'},          {"quot", '"'},       {"apos", '\''},
    {"OElig", 0x152},    {"oelig", 0x153},     {"Scaron", 0x160},    {"scaron", 0x161},   {"Yuml", 0x178},
    {"fnof", 0x192},     {"circ", 0x2C6},      {"tilde", 0x2DC},     {"ensp", 0x2002},    {"emsp", 0x2003},
    {"thinsp", 0x2009},  {"zwnj", 0x200C},     {"zwj", 0x200D},      {"lrm", 0x200E},     {"rlm", 0x200F},
    {"ndash", 0x2013},   {"mdash", 0x2014},    {"lsquo", 0x2018},    {"rsquo", 0x2019},   {"sbquo", 0x201A},
    {"ldquo", 0x201C},   {"rdquo", 0x201D},    {"bdquo", 0x201E},    {"dagger", 0x2020},  {"Dagger", 0x2021},
    {"bull", 0x2022},    {"hellip", 0x2026},   {"permil", 0x2030},   {"prime", 0x2032},   {"Prime", 0x2033},
    {"lsaquo", 0x2039},  {"rsaquo", 0x203A},   {"euro", 0x20AC},     {"trade", 0x2122},   {"larr", 0x2190},
    {"uarr", 0x2191},    {"rarr", 0x2192},     {"darr", 0x2193},     {"harr", 0x2194},    {"minus", 0x2212},
    {"ne", 0x2260},      {"le", 0x2264},       {"ge", 0x2265},       {"infin", 0x221E},   {"check", 0x2713},
    {"hearts", 0x2665},  {"spades", 0x2660},   {"clubs", 0x2663},    {"diams", 0x2666},   {"loz", 0x25CA},
};

const QHash<QString, char32_t>& namedReferences()
{
    static const QHash<QString, char32_t> table = [] {
        QHash<QString, char32_t> names;
        for (std::size_t i = 0; i < kLatin1Names.size(); ++i)
            names.insert(QLatin1String(kLatin1Names[i].data(), int(kLatin1Names[i].size())), char32_t(160 + i));
        for (const NamedReference& entry : kOtherNames)
            names.insert(QLatin1String(entry.name.data(), int(entry.name.size())), entry.codePoint);
        return names;
    }();
    return table;
}

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool isAsciiAlnum(QChar c)
{
    return isAsciiLetter(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

bool isHtmlSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\f');
}

// Characters that carry nothing on paper: controls, soft hyphens, zero-width
// marks that newsletters pad their preview lines with, and the object character.
bool isInvisible(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0xAD || c == 0x34F || c == 0x200B || c == 0x200C ||
           c == 0x2060 || c == 0xFEFF || c == 0xFFFC;
}

// Collects the text: white space and line breaks are owed and paid only before
// the next visible character, so the text never starts or ends with them.
class TextWriter {
public:
    explicit TextWriter(qsizetype capacity) { m_text.reserve(capacity); }

    void character(char32_t c)
    {
        if (m_pre == 0 && (c == 0xA0 || (c < 0x80 && isHtmlSpace(QChar(c))))) {
            m_space = true;
            return;
        }
        if (m_pre > 0 && c == '\n') {
            lineBreak();
            return;
        }
        if (c == '\r' || (c != '\t' && isInvisible(c)))
            return;
        pay();
        if (QChar::requiresSurrogates(c)) {
            m_text += QChar(QChar::highSurrogate(c));
            m_text += QChar(QChar::lowSurrogate(c));
        } else {
            m_text += QChar(char16_t(c));
        }
    }

    void space() { m_space = true; }
    void lineBreak() { m_breaks = m_text.isEmpty() ? 0 : m_breaks + 1; }
    void block(int breaks)
    {
        if (!m_text.isEmpty())
            m_breaks = std::max(m_breaks, breaks);
    }
    void prefix(QString marker) { m_prefix = std::move(marker); }
    void enterPre() { ++m_pre; }
    void leavePre() { m_pre = std::max(0, m_pre - 1); }

    QString take() { return std::move(m_text); }

private:
    void pay()
    {
        if (m_breaks > 0) {
            m_text += QString(m_breaks, QLatin1Char('\n'));
        } else if (m_space && !m_text.isEmpty() && !m_text.endsWith(QLatin1Char('\n'))) {
            m_text += QLatin1Char(' ');
        }
        m_breaks = 0;
        m_space = false;
        if (!m_prefix.isEmpty()) {
            m_text += m_prefix;
            m_prefix.clear();
        }
    }

    QString m_text;
    QString m_prefix;
    int m_breaks = 0;
    int m_pre = 0;
    bool m_space = false;
};

class HtmlReader {
public:
    static constexpr qsizetype kDeepestIndent = 4;

    explicit HtmlReader(const QString& html) : m_html(html), m_end(html.size()), m_out(html.size() / 2) {}

    QString read()
    {
        while (m_at < m_end) {
            const QChar c = m_html.at(m_at);
            if (c == QLatin1Char('<'))
                markup();
            else if (c == QLatin1Char('&'))
                reference();
            else
                textCharacter();
        }
        return m_out.take();
    }

private:
    void textCharacter()
    {
        const QChar c = m_html.at(m_at++);
        if (c.isHighSurrogate() && m_at < m_end && m_html.at(m_at).isLowSurrogate())
            m_out.character(QChar::surrogateToUcs4(c, m_html.at(m_at++)));
        else
            m_out.character(c.unicode());
    }

    // "<" opens a tag, an end tag, a comment or a declaration only when followed
    // by a letter, "/", "!" or "?"; otherwise it is text.
    void markup()
    {
        const QChar next = m_at + 1 < m_end ? m_html.at(m_at + 1) : QChar();
        if (next == QLatin1Char('!') && m_html.mid(m_at, 4) == QLatin1String("<!--")) {
            skipPast(QStringLiteral("-->"), m_at + 4);
        } else if (next == QLatin1Char('!') || next == QLatin1Char('?')) {
            skipPast(QStringLiteral(">"), m_at + 2);
        } else if (next == QLatin1Char('/') && m_at + 2 < m_end && isAsciiLetter(m_html.at(m_at + 2))) {
            m_at += 2;
            const std::string name = tagName();
            skipPast(QStringLiteral(">"), m_at);
            endTag(name);
        } else if (isAsciiLetter(next)) {
            ++m_at;
            const std::string name = tagName();
            skipAttributes();
            startTag(name);
        } else {
            textCharacter();
        }
    }

    std::string tagName()
    {
        std::string name;
        while (m_at < m_end) {
            const QChar c = m_html.at(m_at);
            if (isHtmlSpace(c) || c == QLatin1Char('/') || c == QLatin1Char('>'))
                break;
            if (name.size() < 16)
                name += char(c.toLatin1() >= 'A' && c.toLatin1() <= 'Z' ? c.toLatin1() + 32 : c.toLatin1());
            ++m_at;
        }
        return name;
    }

    // Up to and past the ">" that closes a start tag; a ">" inside a quoted value
    // does not close it. A tag cut off by the end of the text is dropped.
    void skipAttributes()
    {
        while (m_at < m_end) {
            const QChar c = m_html.at(m_at);
            if (c == QLatin1Char('>')) {
                ++m_at;
                return;
            }
            if (c == QLatin1Char('=')) {
                ++m_at;
                while (m_at < m_end && isHtmlSpace(m_html.at(m_at)))
                    ++m_at;
                if (m_at < m_end && (m_html.at(m_at) == QLatin1Char('"') || m_html.at(m_at) == QLatin1Char('\''))) {
                    const qsizetype close = m_html.indexOf(m_html.at(m_at), m_at + 1);
                    m_at = close < 0 ? m_end : close + 1;
                } else {
                    // An unquoted value runs to a blank or ">": a quote or "=" inside
                    // it (href=x?id='7) is part of it and opens nothing.
                    while (m_at < m_end && !isHtmlSpace(m_html.at(m_at)) && m_html.at(m_at) != QLatin1Char('>'))
                        ++m_at;
                }
                continue;
            }
            ++m_at;
        }
    }

    void skipPast(const QString& terminator, qsizetype from)
    {
        const qsizetype found = m_html.indexOf(terminator, std::min(from, m_end));
        m_at = found < 0 ? m_end : found + terminator.size();
    }

    void startTag(const std::string& name)
    {
        const TagRule* rule = ruleFor(name);
        if (!rule)
            return;
        switch (rule->role) {
        case Role::Line: m_out.block(1); break;
        case Role::Paragraph: m_out.block(2); break;
        case Role::Break: m_out.lineBreak(); break;
        case Role::Cell: m_out.space(); break;
        case Role::Pre:
            m_out.block(2);
            m_out.enterPre();
            break;
        case Role::Bullets:
        case Role::Numbers:
            m_out.block(m_lists.empty() ? 2 : 1);
            m_lists.push_back(rule->role == Role::Numbers ? 1 : 0);
            break;
        case Role::Item: item(); break;
        case Role::Skip: {
            // Raw text: the first matching end tag closes it, whatever comes before.
            const QString close = QStringLiteral("</") + QString::fromLatin1(name.data(), int(name.size()));
            const qsizetype found = m_html.indexOf(close, m_at, Qt::CaseInsensitive);
            m_at = found < 0 ? m_end : found;
            break;
        }
        }
    }

    void endTag(const std::string& name)
    {
        const TagRule* rule = ruleFor(name);
        if (!rule)
            return;
        switch (rule->role) {
        case Role::Line:
        case Role::Item: m_out.block(1); break;
        case Role::Paragraph: m_out.block(2); break;
        case Role::Break: m_out.lineBreak(); break;  // "</br>" reads as <br>, as browsers do
        case Role::Pre:
            m_out.leavePre();
            m_out.block(2);
            break;
        case Role::Bullets:
        case Role::Numbers:
            if (!m_lists.empty())
                m_lists.pop_back();
            m_out.prefix({});  // an empty item marks nothing after its list
            m_out.block(m_lists.empty() ? 2 : 1);
            break;
        case Role::Cell:
        case Role::Skip: break;
        }
    }

    void item()
    {
        m_out.block(1);
        // Nested lists indent by two blanks a level, up to kDeepestIndent levels:
        // deeper nesting keeps that indent, so the text stays linear in the markup.
        const qsizetype depth = std::clamp<qsizetype>(qsizetype(m_lists.size()), 1, kDeepestIndent);
        QString marker(2 * (depth - 1), QLatin1Char(' '));
        if (!m_lists.empty() && m_lists.back() > 0)
            marker += QString::number(m_lists.back()++) + QStringLiteral(". ");
        else
            marker += QStringLiteral("- ");
        m_out.prefix(marker);
    }

    // "&name;", "&#123;" or "&#x1F600;". A name known without its ";" is read as
    // well, as browsers do; anything else stays as it is written.
    void reference()
    {
        qsizetype i = m_at + 1;
        if (i < m_end && m_html.at(i) == QLatin1Char('#')) {
            numericReference(i + 1);
            return;
        }
        while (i < m_end && i - m_at <= 8 && isAsciiAlnum(m_html.at(i)))
            ++i;
        const auto found = namedReferences().constFind(m_html.mid(m_at + 1, i - m_at - 1));
        if (found == namedReferences().constEnd()) {
            textCharacter();
            return;
        }
        m_at = (i < m_end && m_html.at(i) == QLatin1Char(';')) ? i + 1 : i;
        m_out.character(*found);
    }

    void numericReference(qsizetype i)
    {
        const bool hex = i < m_end && (m_html.at(i) == QLatin1Char('x') || m_html.at(i) == QLatin1Char('X'));
        if (hex)
            ++i;
        const qsizetype digitsStart = i;
        char32_t value = 0;
        bool tooLarge = false;
        while (i < m_end) {
            const QChar c = m_html.at(i);
            int v = -1;
            if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                v = c.unicode() - '0';
            else if (hex && c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'))
                v = c.toLower().unicode() - 'a' + 10;
            if (v < 0)
                break;
            value = value * (hex ? 16 : 10) + char32_t(v);
            tooLarge = tooLarge || value > 0x10FFFF;
            if (tooLarge)
                value = 0x110000;
            ++i;
        }
        if (i == digitsStart) {
            textCharacter();
            return;
        }
        m_at = (i < m_end && m_html.at(i) == QLatin1Char(';')) ? i + 1 : i;
        if (value >= 0x80 && value < 0xA0)
            value = HeaderBlock::windows1252(static_cast<char16_t>(value));  // as browsers read them
        else if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            value = 0xFFFD;
        if (value != 0)
            m_out.character(value);
    }

    const QString& m_html;
    const qsizetype m_end;
    qsizetype m_at = 0;
    TextWriter m_out;
    std::vector<int> m_lists;  // per open list: 0 for bullets, else the next number
};

}  // namespace

QString htmlToText(const QString& html)
{
    return HtmlReader(html).read();
}

}  // namespace platform::mail

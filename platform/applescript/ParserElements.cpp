// Element references of the Parser and the terms they are made of: the
// language's own classes and those of a dictionary, indexes and ranges, the
// container after "of", `whose` filters, and an application's commands.

#include "platform/applescript/Parser.h"

#include "platform/applescript/ScriptError.h"

#include <QSet>

namespace platform::applescript {

namespace {

// Words that never name a variable.
const QSet<QString>& reservedWords()
{
    static const QSet<QString> words = [] {
        QSet<QString> s;
        for (const char* w : {"and", "as", "by", "considering", "contains", "copy", "div", "does", "else", "end",
                              "equals", "error", "every", "exit", "false", "from", "global", "if", "ignoring", "in",
                              "is", "isn't", "local", "mod", "my", "not", "of", "on", "or", "property", "repeat",
                              "return", "set", "tell", "then", "through", "thru", "times", "to", "true", "try",
                              "until", "while", "with", "without", "whose", "where", "doesn't", "item", "items",
                              "application", "current", "count", "first", "last", "middle", "given"})
            s.insert(QString::fromLatin1(w));
        return s;
    }();
    return words;
}

}  // namespace

bool Parser::isReserved(const QString& word)
{
    return reservedWords().contains(word);
}

Parser::Terms Parser::compileTerms(const Terminology& terminology)
{
    Terms terms;
    auto words = [](const QString& name) { return name.simplified().toLower().split(u' '); };
    for (const QString& p : terminology.properties)
        terms.properties.push_back({words(p), words(p).join(u' '), nullptr, false, false});
    for (const auto& c : terminology.classes) {
        const QString singular = words(c.singular).join(u' ');
        terms.classes.push_back({words(c.singular), singular, nullptr, false, false});
        if (!c.plural.isEmpty())
            terms.classes.push_back({words(c.plural), singular, nullptr, false, true});
    }
    for (const auto& c : terminology.commands)
        terms.commands.push_back({words(c.name), words(c.name).join(u' '), &c.labels, c.takesDirect, false});
    return terms;
}

const Parser::Terms& Parser::builtinTerms()
{
    static const Terms terms = [] {
        Terminology t;
        for (const char* p : {"date string", "short date string", "time string", "quoted form"})
            t.properties.push_back(QString::fromLatin1(p));
        for (const auto& [s, p] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"item", "items"},
                 {"character", "characters"},
                 {"word", "words"},
                 {"paragraph", "paragraphs"},
                 {"text item", "text items"},
                 {"text", ""}})
            t.classes.push_back({QString::fromLatin1(s), QString::fromLatin1(p)});
        return compileTerms(t);
    }();
    return terms;
}

const Parser::Term* Parser::matchTerm(const std::vector<Term>& terms, int* length) const
{
    const Term* best = nullptr;
    *length = 0;
    for (const Term& term : terms) {
        const int n = matchWords(term.words);
        if (n > *length) {
            *length = n;
            best = &term;
        }
    }
    return best;
}

// A class term of the current dictionary, else of the language.
const Parser::Term* Parser::matchClass(int* length) const
{
    if (!m_terms.empty())
        if (const Term* t = matchTerm(m_terms.back().classes, length))
            return t;
    return matchTerm(builtinTerms().classes, length);
}

bool Parser::startsIndex() const
{
    const Token& t = cur();
    switch (t.kind) {
    case TokenKind::Integer:
    case TokenKind::Real:
        return true;
    case TokenKind::Symbol:
        return t.text == u"-" || t.text == u"(";
    case TokenKind::Word:
        return t.barred || !reservedWords().contains(t.text);
    default:
        return false;
    }
}

bool Parser::stopsAt(const char* label) const
{
    if (m_stops.empty() || !m_stops.back())
        return false;
    const auto& stops = *m_stops.back();
    return std::find(stops.begin(), stops.end(), QLatin1String(label)) != stops.end();
}

bool Parser::isDictionaryTerm(const Term& term) const
{
    for (const Terms& terms : m_terms)
        for (const Term& t : terms.classes)
            if (&t == &term)
                return true;
    return false;
}

// element := class ( "id" index | index [ ("thru" | "through") index ] ) | plural [ index "thru" index ],
//            then container, then [ whose ]; a dictionary class also takes a name (`mailbox "Sent"`)
NodePtr Parser::parseElement(const Term& term, const Token& at)
{
    const bool dictionary = isDictionaryTerm(term);
    NodePtr n = node(NodeKind::Element, at);
    n->name = term.name;
    n->selector = Selector::All;
    const bool named = dictionary && cur().kind == TokenKind::String;
    if (dictionary && !term.plural && isWord("id") && !isWord("of", 1)) {
        ++m_pos;
        n->b = parseIndex();
        n->selector = Selector::Id;
    } else if ((startsIndex() || named) && !(term.plural && (isWord("of") || isWord("in")))) {
        n->b = parseIndex();
        n->selector = Selector::Index;
        if (acceptWord("thru") || acceptWord("through")) {
            n->c = parseIndex();
            n->selector = Selector::Range;
        } else if (term.plural) {
            failHere(QStringLiteral("\"thru\""));
        }
    }
    return parseWhose(parseContainer(std::move(n), dictionary));
}

// index := name | unary; a bare name is a variable, so `item i of L` indexes by i
NodePtr Parser::parseIndex()
{
    if (!startsIndex() && cur().kind != TokenKind::String)
        failHere(QStringLiteral("index"));
    const Token& t = cur();
    if (t.kind == TokenKind::Word && !isSymbol("(", 1) && !isWord("my")) {
        NodePtr n = node(NodeKind::Variable, t);
        n->name = t.text;
        ++m_pos;
        return n;
    }
    return parseUnary();
}

// container := ( "of" | "in" ) postfix; without it, dictionary terms refer to the tell target.
// A `whose` after an element's container filters the element, not its container.
NodePtr Parser::parseContainer(NodePtr target, bool implicitAllowed)
{
    if (acceptWord("of") || (!stopsAt("in") && acceptWord("in"))) {
        const bool saved = m_inContainer;
        m_inContainer = saved || target->kind == NodeKind::Element;
        target->a = parsePostfix(parsePrimary());
        m_inContainer = saved;
    } else if (!implicitAllowed) {
        failHere(QStringLiteral("\"of\""));
    }
    return target;
}

// whose := ( "whose" | "where" ) expression, tested with each element as the target
NodePtr Parser::parseWhose(NodePtr element)
{
    if (m_inContainer || !(isWord("whose") || isWord("where")))
        return element;
    ++m_pos;
    m_stops.push_back(nullptr);
    element->kids.push_back(parseExpression());
    m_stops.pop_back();
    return element;
}

// command := name [ direct ] { label expression }
NodePtr Parser::parseCommand(const Term& term, const Token& at)
{
    NodePtr n = node(NodeKind::Command, at);
    n->name = term.name;
    const auto& labels = *term.labels;
    auto atLabel = [&] {
        return cur().kind == TokenKind::Word && !cur().barred
            && std::find(labels.begin(), labels.end(), cur().text) != labels.end();
    };
    m_stops.push_back(&labels);
    if (term.takesDirect && !atLineEnd() && !atLabel() && !isWord("then") && !isWord("else") && !isSymbol(")")
        && !isSymbol(",") && !isSymbol("}"))
        n->a = parseExpression();
    while (atLabel()) {
        n->names.push_back(cur().text);
        ++m_pos;
        n->kids.push_back(parseExpression());
    }
    m_stops.pop_back();
    return n;
}


}  // namespace platform::applescript

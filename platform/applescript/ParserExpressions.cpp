// Expressions of the Parser: precedence climbing over the operator table, then
// one function per primary form.

#include "platform/applescript/Parser.h"

#include "platform/applescript/ScriptError.h"

#include <QHash>
#include <QSet>

#include <array>
#include <cmath>

namespace platform::applescript {

namespace {

// Binding strength, weakest first; `not` sits between "and" and the comparisons.
constexpr int kNotPrecedence = 3;

struct OperatorSpec {
    const char* spelling;  // words or one symbol, separated by single spaces
    BinaryOp op;
    int precedence;
    bool negate = false;   // the spelling means "not (a op b)"
    bool coerce = false;   // "as": a type name follows, not an expression
    bool rightAssoc = false;
};

constexpr OperatorSpec kOperators[] = {
    {"or", BinaryOp::Or, 1},
    {"and", BinaryOp::And, 2},
    {"=", BinaryOp::Equal, 4},
    {"is", BinaryOp::Equal, 4},
    {"equals", BinaryOp::Equal, 4},
    {"is equal to", BinaryOp::Equal, 4},
    {"\u2260", BinaryOp::NotEqual, 4},
    {"is not", BinaryOp::NotEqual, 4},
    {"isn't", BinaryOp::NotEqual, 4},
    {"is not equal to", BinaryOp::NotEqual, 4},
    {"isn't equal to", BinaryOp::NotEqual, 4},
    {"does not equal", BinaryOp::NotEqual, 4},
    {"doesn't equal", BinaryOp::NotEqual, 4},
    {"<", BinaryOp::Less, 5},
    {"is less than", BinaryOp::Less, 5},
    {"comes before", BinaryOp::Less, 5},
    {">", BinaryOp::Greater, 5},
    {"is greater than", BinaryOp::Greater, 5},
    {"comes after", BinaryOp::Greater, 5},
    {"\u2264", BinaryOp::LessEqual, 5},
    {"is less than or equal to", BinaryOp::LessEqual, 5},
    {"is not greater than", BinaryOp::LessEqual, 5},
    {"isn't greater than", BinaryOp::LessEqual, 5},
    {"\u2265", BinaryOp::GreaterEqual, 5},
    {"is greater than or equal to", BinaryOp::GreaterEqual, 5},
    {"is not less than", BinaryOp::GreaterEqual, 5},
    {"isn't less than", BinaryOp::GreaterEqual, 5},
    {"contains", BinaryOp::Contains, 5},
    {"contain", BinaryOp::Contains, 5},
    {"does not contain", BinaryOp::Contains, 5, true},
    {"doesn't contain", BinaryOp::Contains, 5, true},
    {"is in", BinaryOp::IsIn, 5},
    {"is contained by", BinaryOp::IsIn, 5},
    {"is not in", BinaryOp::IsIn, 5, true},
    {"isn't in", BinaryOp::IsIn, 5, true},
    {"is not contained by", BinaryOp::IsIn, 5, true},
    {"begins with", BinaryOp::BeginsWith, 5},
    {"starts with", BinaryOp::BeginsWith, 5},
    {"begin with", BinaryOp::BeginsWith, 5},
    {"start with", BinaryOp::BeginsWith, 5},
    {"does not begin with", BinaryOp::BeginsWith, 5, true},
    {"does not start with", BinaryOp::BeginsWith, 5, true},
    {"doesn't begin with", BinaryOp::BeginsWith, 5, true},
    {"doesn't start with", BinaryOp::BeginsWith, 5, true},
    {"ends with", BinaryOp::EndsWith, 5},
    {"end with", BinaryOp::EndsWith, 5},
    {"does not end with", BinaryOp::EndsWith, 5, true},
    {"doesn't end with", BinaryOp::EndsWith, 5, true},
    {"as", BinaryOp::Or, 6, false, true},
    {"&", BinaryOp::Concat, 7},
    {"+", BinaryOp::Add, 8},
    {"-", BinaryOp::Subtract, 8},
    {"*", BinaryOp::Multiply, 9},
    {"/", BinaryOp::Divide, 9},
    {"div", BinaryOp::Div, 9},
    {"mod", BinaryOp::Mod, 9},
    {"^", BinaryOp::Power, 10, false, false, true},
};

struct CompiledOperator {
    QStringList words;
    const OperatorSpec* entry;
};

// Operators by their first word or symbol, for a quick longest match.
const QHash<QString, std::vector<CompiledOperator>>& operatorIndex()
{
    static const auto index = [] {
        QHash<QString, std::vector<CompiledOperator>> h;
        for (const OperatorSpec& entry : kOperators) {
            const QStringList words = QString::fromUtf8(entry.spelling).split(u' ');
            h[words.first()].push_back({words, &entry});
        }
        return h;
    }();
    return index;
}

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

const QHash<QString, Value>& constants()
{
    static const QHash<QString, Value> table = [] {
        QHash<QString, Value> h;
        h.insert(QStringLiteral("return"), Value(QStringLiteral("\r")));
        h.insert(QStringLiteral("linefeed"), Value(QStringLiteral("\n")));
        h.insert(QStringLiteral("tab"), Value(QStringLiteral("\t")));
        h.insert(QStringLiteral("space"), Value(QStringLiteral(" ")));
        h.insert(QStringLiteral("quote"), Value(QStringLiteral("\"")));
        h.insert(QStringLiteral("pi"), Value(M_PI));
        h.insert(QStringLiteral("minutes"), Value(60));
        h.insert(QStringLiteral("hours"), Value(3600));
        h.insert(QStringLiteral("days"), Value(86400));
        h.insert(QStringLiteral("weeks"), Value(604800));
        // Months and weekdays are the language's English constants whatever the locale.
        for (const char* m : {"January", "February", "March", "April", "May", "June", "July", "August",
                              "September", "October", "November", "December", "Monday", "Tuesday", "Wednesday",
                              "Thursday", "Friday", "Saturday", "Sunday"})
            h.insert(QString::fromLatin1(m).toLower(), Value(QString::fromLatin1(m)));
        return h;
    }();
    return table;
}

constexpr std::array<const char*, 10> kOrdinals = {"first", "second", "third", "fourth", "fifth",
                                                  "sixth", "seventh", "eighth", "ninth", "tenth"};

}  // namespace

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
        for (const char* p : {"date string", "short date string", "time string"})
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

// expression := [ "not" ] operand { binary-operator operand }, by precedence
NodePtr Parser::parseExpression(int minPrecedence)
{
    Nesting nesting(*this);
    NodePtr left;
    if (isWord("not") && minPrecedence <= kNotPrecedence) {
        left = node(NodeKind::Not, cur());
        ++m_pos;
        left->a = parseExpression(kNotPrecedence);
    } else {
        left = parseUnary();
    }
    const auto& index = operatorIndex();
    for (;;) {
        const Token& t = cur();
        if ((t.kind != TokenKind::Word && t.kind != TokenKind::Symbol) || t.barred)
            break;
        const auto it = index.find(t.text);
        if (it == index.end())
            break;
        const CompiledOperator* best = nullptr;
        int length = 0;
        for (const CompiledOperator& candidate : *it) {
            int n = 0;
            while (n < candidate.words.size() && ahead(n).kind != TokenKind::String && !ahead(n).barred
                   && ahead(n).text == candidate.words[n])
                ++n;
            if (n == candidate.words.size() && n > length) {
                length = n;
                best = &candidate;
            }
        }
        if (!best || best->entry->precedence < minPrecedence)
            break;
        if (!m_stops.empty() && m_stops.back()) {
            const auto& stops = *m_stops.back();
            if (std::find(stops.begin(), stops.end(), t.text) != stops.end())
                break;
        }
        const Token at = t;
        m_pos += static_cast<size_t>(length);
        if (best->entry->coerce) {
            NodePtr n = node(NodeKind::Coerce, at);
            n->line = left->line;
            n->column = left->column;
            n->a = std::move(left);
            n->type = parseTypeName();
            left = std::move(n);
            continue;
        }
        NodePtr n = node(NodeKind::Binary, at);
        n->line = left->line;
        n->column = left->column;
        n->op = best->entry->op;
        n->a = std::move(left);
        n->b = parseExpression(best->entry->rightAssoc ? best->entry->precedence : best->entry->precedence + 1);
        if (best->entry->negate) {
            NodePtr negated = node(NodeKind::Not, at);
            negated->a = std::move(n);
            n = std::move(negated);
        }
        left = std::move(n);
    }
    return left;
}

// unary := ( "-" | "+" ) unary | primary { "'s" property }
NodePtr Parser::parseUnary()
{
    Nesting nesting(*this);
    if (isSymbol("-")) {
        NodePtr n = node(NodeKind::Negate, cur());
        ++m_pos;
        n->a = parseUnary();
        if (n->a->kind == NodeKind::Literal && n->a->value.isNumber()) {
            Value& v = n->a->value;
            if (v.kind() == Value::Kind::Integer && v.integer() != std::numeric_limits<qint64>::min())
                v = Value(-v.integer());
            else
                v = Value(-v.number());
            return std::move(n->a);
        }
        return n;
    }
    if (acceptSymbol("+"))
        return parseUnary();
    return parsePostfix(parsePrimary());
}

// postfix := primary { "'s" ( "text item delimiters" | property-name ) }
NodePtr Parser::parsePostfix(NodePtr left)
{
    while (cur().kind == TokenKind::Possessive) {
        const Token at = cur();
        ++m_pos;
        static const QStringList kDelimiters = {QStringLiteral("text"), QStringLiteral("item"),
                                                QStringLiteral("delimiters")};
        if (const int n = matchWords(kDelimiters)) {
            m_pos += static_cast<size_t>(n);
            left = node(NodeKind::Delimiters, at);
            continue;
        }
        int length = 0;
        const Term* term = nullptr;
        if (!m_terms.empty())
            term = matchTerm(m_terms.back().properties, &length);
        if (!term)
            term = matchTerm(builtinTerms().properties, &length);
        NodePtr p = node(NodeKind::Property, at);
        if (term) {
            p->name = term->name;
            m_pos += static_cast<size_t>(length);
        } else {
            p->name = identifier("property name");
        }
        p->a = std::move(left);
        left = std::move(p);
    }
    return left;
}

// primary := number | string | list | record | "(" expression ")" | word-primary
NodePtr Parser::parsePrimary()
{
    Nesting nesting(*this);
    const Token& t = cur();
    switch (t.kind) {
    case TokenKind::Integer: {
        NodePtr n = node(NodeKind::Literal, t);
        n->value = Value(t.integer);
        ++m_pos;
        return n;
    }
    case TokenKind::Real: {
        NodePtr n = node(NodeKind::Literal, t);
        n->value = Value(t.real);
        ++m_pos;
        return n;
    }
    case TokenKind::String: {
        NodePtr n = node(NodeKind::Literal, t);
        n->value = Value(t.text);
        ++m_pos;
        return n;
    }
    case TokenKind::Symbol:
        if (t.text == u"(") {
            ++m_pos;
            m_stops.push_back(nullptr);
            NodePtr inner = parseExpression();
            m_stops.pop_back();
            expectSymbol(")");
            return inner;
        }
        if (t.text == u"{")
            return parseListOrRecord();
        break;
    case TokenKind::Word:
        return parseWordPrimary();
    default:
        break;
    }
    failHere(QStringLiteral("expression"));
}

// list := "{" [ expression { "," expression } ] "}"; record := "{" name ":" expression { "," ... } "}"
NodePtr Parser::parseListOrRecord()
{
    const Token at = cur();
    ++m_pos;
    const bool record = cur().kind == TokenKind::Word && isSymbol(":", 1);
    NodePtr n = node(record ? NodeKind::RecordLiteral : NodeKind::ListLiteral, at);
    m_stops.push_back(nullptr);
    if (!isSymbol("}")) {
        do {
            if (record) {
                if (cur().kind != TokenKind::Word)
                    failHere(QStringLiteral("property name"));
                n->names.push_back(cur().text);
                ++m_pos;
                expectSymbol(":");
            }
            n->kids.push_back(parseExpression());
        } while (acceptSymbol(","));
    }
    m_stops.pop_back();
    expectSymbol("}");
    if (record)
        for (size_t i = 0; i < n->names.size(); ++i)
            for (size_t j = 0; j < i; ++j)
                if (n->names[i] == n->names[j])
                    throwCompile(errSyntax, QStringLiteral("The property %1 is specified more than once.").arg(n->names[i]),
                                 n->kids[i]->line, n->kids[i]->column);
    return n;
}

// word-primary := dictionary term | language term | constant | call | name "of" ... | variable
NodePtr Parser::parseWordPrimary()
{
    const Token at = cur();
    if (at.barred) {
        if (isSymbol("(", 1))
            return parseCall(at, false);
        NodePtr n = node(NodeKind::Variable, at);
        n->name = at.text;
        ++m_pos;
        return n;
    }
    if (!m_terms.empty()) {
        const Terms& terms = m_terms.back();
        int length = 0;
        if (const Term* command = matchTerm(terms.commands, &length)) {
            m_pos += static_cast<size_t>(length);
            return parseCommand(*command, at);
        }
        int propertyLength = 0;
        int classLength = 0;
        const Term* property = matchTerm(terms.properties, &propertyLength);
        const Term* cls = matchTerm(terms.classes, &classLength);
        if (cls && classLength >= propertyLength) {
            const size_t saved = m_pos;
            m_pos += static_cast<size_t>(classLength);
            if (classLength > propertyLength || cls->plural || startsIndex())
                return parseElement(*cls, at);
            m_pos = saved;
        }
        if (property) {
            m_pos += static_cast<size_t>(propertyLength);
            NodePtr n = node(NodeKind::Property, at);
            n->name = property->name;
            n->flag = true;
            return parseContainer(std::move(n), true);
        }
    }
    const QString& w = at.text;
    if (w == u"not") {
        NodePtr n = node(NodeKind::Not, at);
        ++m_pos;
        n->a = parseUnary();
        return n;
    }
    if (w == u"true" || w == u"false") {
        NodePtr n = node(NodeKind::Literal, at);
        n->value = Value(w == u"true");
        ++m_pos;
        return n;
    }
    if (w == u"missing" && isWord("value", 1)) {
        m_pos += 2;
        return node(NodeKind::Literal, at);
    }
    if (w == u"current" && isWord("date", 1)) {
        m_pos += 2;
        return node(NodeKind::CurrentDate, at);
    }
    if ((w == u"application" || w == u"app") && !isWord("of", 1)) {
        ++m_pos;
        NodePtr n = node(NodeKind::Application, at);
        n->a = parsePrimary();
        return n;
    }
    int length = 0;
    if (const Term* property = matchTerm(builtinTerms().properties, &length)) {
        m_pos += static_cast<size_t>(length);
        NodePtr n = node(NodeKind::Property, at);
        n->name = property->name;
        return parseContainer(std::move(n), false);
    }
    if (w == u"date" && !isWord("of", 1) && !isSymbol("(", 1)) {
        ++m_pos;
        NodePtr n = node(NodeKind::DateFromText, at);
        n->a = parsePrimary();
        return n;
    }
    if (w == u"my") {
        ++m_pos;
        if (cur().kind == TokenKind::Word && isSymbol("(", 1))
            return parseCall(at, true);
        NodePtr n = node(NodeKind::MyVariable, at);
        n->name = identifier("variable name");
        return n;
    }
    if (w == u"every")
        return parseEvery(at);
    if (std::find_if(kOrdinals.begin(), kOrdinals.end(), [&](const char* o) { return w == QLatin1String(o); })
            != kOrdinals.end()
        || w == u"last" || w == u"middle")
        return parseOrdinal(at);
    if ((w == u"beginning" || w == u"end") && isWord("of", 1)) {
        ++m_pos;
        NodePtr n = node(NodeKind::Element, at);
        n->name = QStringLiteral("item");
        n->selector = w == u"end" ? Selector::End : Selector::Beginning;
        return parseContainer(std::move(n), false);
    }
    if (w == u"count" || (w == u"number" && isWord("of", 1)))
        return parseCount(at);
    if (w == u"offset" && isWord("of", 1))
        return parseOffset(at);
    static const QStringList kDelimiters = {QStringLiteral("text"), QStringLiteral("item"),
                                            QStringLiteral("delimiters")};
    if (const int n = matchWords(kDelimiters)) {
        m_pos += static_cast<size_t>(n);
        if (isWord("of") && isWord("applescript", 1))
            m_pos += 2;
        return node(NodeKind::Delimiters, at);
    }
    if (const Term* cls = matchTerm(builtinTerms().classes, &length)) {
        const size_t saved = m_pos;
        m_pos += static_cast<size_t>(length);
        if ((cls->plural && (isWord("of") || startsIndex())) || (!cls->plural && startsIndex()))
            return parseElement(*cls, at);
        m_pos = saved;
    }
    if (isSymbol("(", 1))
        return parseCall(at, false);
    if (isWord("of", 1)) {
        ++m_pos;
        NodePtr n = node(NodeKind::Property, at);
        n->name = w;
        return parseContainer(std::move(n), false);
    }
    return parseConstant();
}

// constant := "return" | "linefeed" | "tab" | ... | variable
NodePtr Parser::parseConstant()
{
    const Token at = cur();
    const auto& table = constants();
    const auto it = table.find(at.text);
    if (it != table.end()) {
        ++m_pos;
        NodePtr n = node(NodeKind::Literal, at);
        n->value = *it;
        return n;
    }
    if (reservedWords().contains(at.text))
        failHere(QStringLiteral("expression"));
    ++m_pos;
    NodePtr n = node(NodeKind::Variable, at);
    n->name = at.text;
    return n;
}

// every := "every" class [ "of" container ]
NodePtr Parser::parseEvery(const Token& at)
{
    ++m_pos;
    int length = 0;
    const Term* cls = matchClass(&length);
    if (!cls)
        failHere(QStringLiteral("class name"));
    m_pos += static_cast<size_t>(length);
    NodePtr n = node(NodeKind::Element, at);
    n->name = cls->name;
    n->selector = Selector::All;
    return parseContainer(std::move(n), !m_terms.empty());
}

// ordinal := ( "first" | ... | "tenth" | "last" | "middle" ) class [ "of" container ]
NodePtr Parser::parseOrdinal(const Token& at)
{
    const QString w = at.text;
    ++m_pos;
    int length = 0;
    const Term* cls = matchClass(&length);
    if (!cls || cls->plural)
        failHere(QStringLiteral("class name"));
    m_pos += static_cast<size_t>(length);
    NodePtr n = node(NodeKind::Element, at);
    n->name = cls->name;
    if (w == u"last") {
        n->selector = Selector::Last;
    } else if (w == u"middle") {
        n->selector = Selector::Middle;
    } else {
        n->selector = Selector::Index;
        n->b = node(NodeKind::Literal, at);
        for (size_t i = 0; i < kOrdinals.size(); ++i)
            if (w == QLatin1String(kOrdinals[i]))
                n->b->value = Value(static_cast<qint64>(i + 1));
    }
    return parseContainer(std::move(n), !m_terms.empty());
}

// count := ( "count" [ "of" ] | "number of" ) unary
NodePtr Parser::parseCount(const Token& at)
{
    ++m_pos;
    acceptWord("of");
    NodePtr n = node(NodeKind::Count, at);
    n->a = parsePostfix(parsePrimary());
    return n;
}

// offset := "offset of" unary "in" unary
NodePtr Parser::parseOffset(const Token& at)
{
    m_pos += 2;
    NodePtr n = node(NodeKind::Offset, at);
    n->a = parsePostfix(parsePrimary());
    expectWord("in");
    n->b = parsePostfix(parsePrimary());
    return n;
}

// call := [ "my" ] name "(" [ expression { "," expression } ] ")"
NodePtr Parser::parseCall(const Token& at, bool my)
{
    NodePtr n = node(NodeKind::Call, at);
    n->name = cur().text;
    n->flag = my;
    ++m_pos;
    expectSymbol("(");
    m_stops.push_back(nullptr);
    if (!isSymbol(")")) {
        do {
            n->kids.push_back(parseExpression());
        } while (acceptSymbol(","));
    }
    m_stops.pop_back();
    expectSymbol(")");
    return n;
}

// element := class index [ ("thru" | "through") index ] | plural [ index "thru" index ], then container
NodePtr Parser::parseElement(const Term& term, const Token& at)
{
    NodePtr n = node(NodeKind::Element, at);
    n->name = term.name;
    n->selector = Selector::All;
    if (startsIndex() && !(term.plural && isWord("of"))) {
        n->b = parseIndex();
        n->selector = Selector::Index;
        if (acceptWord("thru") || acceptWord("through")) {
            n->c = parseIndex();
            n->selector = Selector::Range;
        } else if (term.plural) {
            failHere(QStringLiteral("\"thru\""));
        }
    }
    bool dictionary = false;
    for (const Terms& terms : m_terms)
        for (const Term& t : terms.classes)
            dictionary = dictionary || &t == &term;
    return parseContainer(std::move(n), dictionary);
}

NodePtr Parser::parseIndex()
{
    if (!startsIndex())
        failHere(QStringLiteral("index"));
    return parseUnary();
}

// container := "of" postfix; without "of", dictionary terms refer to the tell target
NodePtr Parser::parseContainer(NodePtr target, bool implicitAllowed)
{
    if (acceptWord("of")) {
        target->a = parsePostfix(parsePrimary());
    } else if (!implicitAllowed) {
        failHere(QStringLiteral("\"of\""));
    }
    return target;
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

// type := "text" | "string" | "unicode text" | "integer" | "real" | "number" | "list" | "boolean" | "date" | "record"
TypeName Parser::parseTypeName()
{
    static const QHash<QString, TypeName> kTypes = {
        {QStringLiteral("text"), TypeName::Text},       {QStringLiteral("string"), TypeName::Text},
        {QStringLiteral("integer"), TypeName::Integer}, {QStringLiteral("real"), TypeName::Real},
        {QStringLiteral("number"), TypeName::Number},   {QStringLiteral("list"), TypeName::List},
        {QStringLiteral("boolean"), TypeName::Boolean}, {QStringLiteral("date"), TypeName::Date},
        {QStringLiteral("record"), TypeName::Record},
    };
    if (isWord("unicode") && isWord("text", 1)) {
        m_pos += 2;
        return TypeName::Text;
    }
    if (cur().kind == TokenKind::Word && !cur().barred) {
        const auto it = kTypes.find(cur().text);
        if (it != kTypes.end()) {
            ++m_pos;
            return *it;
        }
    }
    failHere(QStringLiteral("class name"));
}

}  // namespace platform::applescript

// Expressions of the Parser: precedence climbing over the operator table, then
// one function per primary form.

#include "platform/applescript/Parser.h"

#include "platform/applescript/ScriptError.h"

#include <QHash>

#include <algorithm>

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


}  // namespace

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
        // `counter's inc()`, `counter's greet given name:"Ann"`: a handler of that script object.
        if (cur().kind == TokenKind::Word && (isSymbol("(", 1) || startsLabelledCall())) {
            NodePtr call = isSymbol("(", 1) ? parseCall(cur(), false) : parseLabelledCall(cur(), false);
            call->a = std::move(left);
            left = std::move(call);
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

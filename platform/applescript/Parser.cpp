#include "platform/applescript/Parser.h"

#include "platform/applescript/Operations.h"
#include "platform/applescript/ScriptError.h"

#include <QHash>

#include <iterator>

namespace platform::applescript {

// program := { handler | property | statement } EOF
Program Parser::parseProgram()
{
    Program program;
    m_program = &program;
    bool explicitRun = false;
    bool implicitRun = false;
    for (skipLineEnds(); cur().kind != TokenKind::EndOfFile; skipLineEnds()) {
        if ((isWord("on") || isWord("to")) && ahead(1).kind == TokenKind::Word && !isWord("error", 1)) {
            const Token at = cur();
            parseHandler(program);
            if (program.handlers.back().name == u"run") {
                if (explicitRun || implicitRun)
                    throwCompile(errSyntax, QStringLiteral("The run handler is specified more than once."), at.line,
                                 at.column);
                explicitRun = true;
                program.run = std::move(program.handlers.back().body);
                program.handlers.pop_back();
            }
        } else if (isWord("property") || isWord("prop")) {
            parseProperty(program);
        } else {
            if (explicitRun)
                throwCompile(errSyntax, QStringLiteral("The run handler is specified more than once."), cur().line,
                             cur().column);
            implicitRun = true;
            NodePtr statement = parseStatement();
            if (statement->kind == NodeKind::Global)
                program.globals.insert(program.globals.end(), statement->names.begin(), statement->names.end());
            program.run.push_back(std::move(statement));
            expectLineEnd();
        }
    }
    return program;
}

// handler := ("on" | "to") name [ "(" [ name { "," name } ] ")" ] EOL block "end" [ name ]
void Parser::parseHandler(Program& program)
{
    const Token opener = cur();
    ++m_pos;
    Handler handler;
    handler.line = opener.line;
    handler.name = identifier("handler name");
    for (const Handler& h : program.handlers)
        if (h.name == handler.name)
            throwCompile(errSyntax, QStringLiteral("The %1 handler is specified more than once.").arg(handler.name),
                         opener.line, opener.column);
    if (acceptSymbol("(")) {
        if (!acceptSymbol(")")) {
            do {
                handler.parameters.push_back(identifier("parameter name"));
            } while (acceptSymbol(","));
            expectSymbol(")");
        }
    }
    expectLineEnd();
    const int loops = m_loops;
    m_loops = 0;
    handler.body = parseBlock();
    m_loops = loops;
    expectWord("end", QStringLiteral(" (to close \"%1\" at line %2)").arg(handler.name).arg(opener.line));
    if (cur().kind == TokenKind::Word && !atLineEnd()) {
        if (cur().text != handler.name)
            fail(QStringLiteral("\"end %1\"").arg(handler.name), cur());
        ++m_pos;
    }
    expectLineEnd();
    program.handlers.push_back(std::move(handler));
}

// property := ("property" | "prop") name ":" expression EOL
void Parser::parseProperty(Program& program)
{
    ++m_pos;
    QString name = identifier("property name");
    expectSymbol(":");
    NodePtr init = parseExpression();
    expectLineEnd();
    for (const auto& p : program.properties)
        if (p.first == name)
            throwCompile(errSyntax, QStringLiteral("The property %1 is specified more than once.").arg(name),
                         init->line, init->column);
    program.properties.emplace_back(std::move(name), std::move(init));
}

// block := { statement EOL } up to "end", "else" or "on error"
Block Parser::parseBlock()
{
    Nesting nesting(*this);
    Block block;
    for (skipLineEnds(); !isWord("end") && !isWord("else") && !(isWord("on") && isWord("error", 1)); skipLineEnds()) {
        if (cur().kind == TokenKind::EndOfFile)
            return block;  // the caller's expectWord("end") reports it
        block.push_back(parseStatement());
        expectLineEnd();
    }
    return block;
}

// statement := set | copy | tell | if | repeat | exit | return | try | error
//            | considering | global | local | [ "get" | "log" ] expression
NodePtr Parser::parseStatement()
{
    using Rule = NodePtr (Parser::*)();
    // The statements by their first word; anything else is an expression.
    static const QHash<QString, Rule> kStatements = {
        {QStringLiteral("set"), &Parser::parseSet},           {QStringLiteral("copy"), &Parser::parseCopy},
        {QStringLiteral("tell"), &Parser::parseTell},         {QStringLiteral("if"), &Parser::parseIf},
        {QStringLiteral("repeat"), &Parser::parseRepeat},     {QStringLiteral("return"), &Parser::parseReturn},
        {QStringLiteral("try"), &Parser::parseTry},           {QStringLiteral("error"), &Parser::parseError},
        {QStringLiteral("considering"), &Parser::parseConsidering},
        {QStringLiteral("ignoring"), &Parser::parseConsidering},
        {QStringLiteral("global"), &Parser::parseDeclaration}, {QStringLiteral("local"), &Parser::parseDeclaration},
        {QStringLiteral("exit"), &Parser::parseExit},         {QStringLiteral("get"), &Parser::parseGetOrLog},
        {QStringLiteral("log"), &Parser::parseGetOrLog},
    };
    Nesting nesting(*this);
    if (cur().kind == TokenKind::Word && !cur().barred)
        if (const auto it = kStatements.constFind(cur().text); it != kStatements.constEnd())
            return (this->*it.value())();
    NodePtr n = node(NodeKind::ExprStatement, cur());
    n->a = parseExpression();
    return n;
}

// exit := "exit" [ "repeat" ], inside a repeat loop
NodePtr Parser::parseExit()
{
    const Token at = cur();
    ++m_pos;
    acceptWord("repeat");
    if (m_loops == 0)
        throwCompile(errSyntax, QStringLiteral("\"exit repeat\" stands outside of a repeat loop."), at.line, at.column);
    return node(NodeKind::ExitRepeat, at);
}

// get-or-log := ( "get" | "log" ) expression; a logged value does not become the result
NodePtr Parser::parseGetOrLog()
{
    NodePtr n = node(NodeKind::ExprStatement, cur());
    n->flag = cur().text == u"log";
    ++m_pos;
    n->a = parseExpression();
    return n;
}

// set := "set" target "to" expression
NodePtr Parser::parseSet()
{
    NodePtr n = node(NodeKind::Set, cur());
    ++m_pos;
    n->a = parsePostfix(parsePrimary());
    checkAssignable(*n->a);
    expectWord("to");
    n->b = parseExpression();
    return n;
}

// copy := "copy" expression "to" target
NodePtr Parser::parseCopy()
{
    NodePtr n = node(NodeKind::Copy, cur());
    ++m_pos;
    n->a = parseExpression();
    expectWord("to");
    n->b = parsePostfix(parsePrimary());
    checkAssignable(*n->b);
    return n;
}

void Parser::checkAssignable(const Node& target) const
{
    switch (target.kind) {
    case NodeKind::Variable:
    case NodeKind::MyVariable:
    case NodeKind::Delimiters:
    case NodeKind::Clipboard:
        return;
    case NodeKind::ListLiteral:
        for (const NodePtr& kid : target.kids)
            checkAssignable(*kid);
        return;
    case NodeKind::Property:
        if (target.a)
            return;
        break;
    case NodeKind::Element:
        if (target.a && (target.selector == Selector::Index || target.selector == Selector::First
                         || target.selector == Selector::Last || target.selector == Selector::Beginning
                         || target.selector == Selector::End))
            return;
        break;
    default:
        break;
    }
    throwCompile(errSyntax, QStringLiteral("Can’t set this: it is not a variable or a part of one."), target.line,
                 target.column);
}

// tell := "tell" expression ( "to" statement | EOL block "end" [ "tell" ] )
NodePtr Parser::parseTell()
{
    const Token opener = cur();
    NodePtr n = node(NodeKind::Tell, opener);
    ++m_pos;
    n->a = parseExpression();
    bool pushed = false;
    if (n->a->kind == NodeKind::Application && n->a->a->kind == NodeKind::Literal
        && n->a->a->value.kind() == Value::Kind::Text) {
        if (auto app = findApplication(n->a->a->value.text())) {
            m_terms.push_back(compileTerms(app->terminology()));
            m_program->applications.push_back(std::move(app));
            pushed = true;
        }
    }
    n->blocks.emplace_back();
    if (acceptWord("to")) {
        n->blocks[0].push_back(parseStatement());
    } else {
        expectLineEnd();
        n->blocks[0] = parseBlock();
        parseEnd("tell", opener);
    }
    if (pushed)
        m_terms.pop_back();
    return n;
}

// if := "if" expression [ "then" ] ( statement | EOL block { "else if" ... } [ "else" EOL block ] "end" [ "if" ] )
NodePtr Parser::parseIf()
{
    const Token opener = cur();
    NodePtr n = node(NodeKind::If, opener);
    ++m_pos;
    n->kids.push_back(parseExpression());
    const bool then = acceptWord("then");
    if (!atLineEnd()) {
        if (!then)
            failHere(QStringLiteral("\"then\""));
        n->blocks.emplace_back();
        n->blocks.back().push_back(parseStatement());
        return n;
    }
    expectLineEnd();
    n->blocks.push_back(parseBlock());
    while (acceptWord("else")) {
        if (acceptWord("if")) {
            n->kids.push_back(parseExpression());
            acceptWord("then");
            expectLineEnd();
            n->blocks.push_back(parseBlock());
        } else {
            expectLineEnd();
            n->blocks.push_back(parseBlock());
            break;
        }
    }
    parseEnd("if", opener);
    return n;
}

// repeat := "repeat" [ expression "times" | "while" e | "until" e
//           | "with" name "from" e "to" e [ "by" e ] | "with" name "in" e ] EOL block "end" [ "repeat" ]
NodePtr Parser::parseRepeat()
{
    const Token opener = cur();
    ++m_pos;
    NodePtr n;
    if (atLineEnd()) {
        n = node(NodeKind::RepeatForever, opener);
    } else if (acceptWord("while") || acceptWord("until")) {
        n = node(ahead(-1).text == u"while" ? NodeKind::RepeatWhile : NodeKind::RepeatUntil, opener);
        n->a = parseExpression();
    } else if (acceptWord("with") || acceptWord("for")) {
        const QString var = identifier("variable name");
        if (acceptWord("from")) {
            n = node(NodeKind::RepeatFromTo, opener);
            n->a = parseExpression();
            expectWord("to");
            n->b = parseExpression();
            if (acceptWord("by"))
                n->c = parseExpression();
        } else {
            expectWord("in");
            n = node(NodeKind::RepeatIn, opener);
            n->a = parseExpression();
        }
        n->name = var;
    } else {
        n = node(NodeKind::RepeatTimes, opener);
        n->a = parseExpression();
        expectWord("times");
    }
    expectLineEnd();
    ++m_loops;
    n->blocks.push_back(parseBlock());
    --m_loops;
    parseEnd("repeat", opener);
    return n;
}

// return := "return" [ expression ]
NodePtr Parser::parseReturn()
{
    NodePtr n = node(NodeKind::Return, cur());
    ++m_pos;
    if (!atLineEnd() && !isWord("else") && !isWord("end"))
        n->a = parseExpression();
    return n;
}

// try := "try" EOL block [ "on error" [ name ] [ "number" name ] EOL block ] "end" [ "try" | "error" ]
NodePtr Parser::parseTry()
{
    const Token opener = cur();
    NodePtr n = node(NodeKind::Try, opener);
    ++m_pos;
    expectLineEnd();
    n->blocks.push_back(parseBlock());
    n->blocks.emplace_back();
    n->names = {QString(), QString()};
    if (acceptWord("on")) {
        expectWord("error");
        if (cur().kind == TokenKind::Word && !isWord("number"))
            n->names[0] = identifier("variable name");
        if (acceptWord("number"))
            n->names[1] = identifier("variable name");
        expectLineEnd();
        n->blocks[1] = parseBlock();
    }
    if (isWord("end") && isWord("error", 1)) {
        m_pos += 2;
        return n;
    }
    parseEnd("try", opener);
    return n;
}

// error := "error" [ expression ] [ "number" expression ]
NodePtr Parser::parseError()
{
    NodePtr n = node(NodeKind::Error, cur());
    ++m_pos;
    if (!atLineEnd() && !isWord("number"))
        n->a = parseExpression();
    if (acceptWord("number"))
        n->b = parseExpression();
    return n;
}

// considering := ("considering" | "ignoring") attribute { ("," | "and") attribute } EOL block "end" [ keyword ]
NodePtr Parser::parseConsidering()
{
    // ORDER: as TextAttribute.
    static const QStringList kAttributes[] = {
        {QStringLiteral("case")},        {QStringLiteral("white"), QStringLiteral("space")},
        {QStringLiteral("diacriticals")}, {QStringLiteral("hyphens")},
        {QStringLiteral("punctuation")}, {QStringLiteral("expansion")},
        {QStringLiteral("numeric"), QStringLiteral("strings")},
    };
    static_assert(std::size(kAttributes) == static_cast<size_t>(TextAttribute::NumericStrings) + 1);
    const Token opener = cur();
    const bool considering = opener.text == u"considering";
    NodePtr n = node(NodeKind::Considering, opener);
    ++m_pos;
    qint64 named = 0;
    do {
        int length = 0;
        for (size_t i = 0; i < std::size(kAttributes) && length == 0; ++i)
            if ((length = matchWords(kAttributes[i])) > 0)
                named |= attributeBit(static_cast<TextAttribute>(i));
        if (length == 0)
            failHere(QStringLiteral("attribute"));
        m_pos += static_cast<size_t>(length);
    } while (acceptSymbol(",") || acceptWord("and"));
    n->flag = considering;
    n->value = Value(named);
    expectLineEnd();
    n->blocks.push_back(parseBlock());
    parseEnd(considering ? "considering" : "ignoring", opener);
    return n;
}

// declaration := ("global" | "local") name { "," name }
NodePtr Parser::parseDeclaration()
{
    NodePtr n = node(cur().text == u"global" ? NodeKind::Global : NodeKind::Local, cur());
    ++m_pos;
    do {
        n->names.push_back(identifier("variable name"));
    } while (acceptSymbol(","));
    return n;
}

// end := "end" [ keyword ]; a different block keyword after "end" is an error
void Parser::parseEnd(const char* keyword, const Token& opener)
{
    const QString closing = QStringLiteral(" (to close \"%1\" at line %2)").arg(opener.text).arg(opener.line);
    if (!isWord("end"))
        fail(QStringLiteral("\"end\"%1").arg(closing), cur());
    ++m_pos;
    if (atLineEnd())
        return;
    if (!acceptWord(keyword))
        fail(QStringLiteral("\"end %1\"%2").arg(QLatin1String(keyword), closing), cur());
}

}  // namespace platform::applescript

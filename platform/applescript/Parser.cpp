#include "platform/applescript/Parser.h"

#include "platform/applescript/Operations.h"
#include "platform/applescript/ScriptError.h"

#include <QHash>

#include <iterator>

namespace platform::applescript {

// program := script-body EOF
Program Parser::parseProgram()
{
    Program program;
    m_program = &program;
    findLabelledHandlers();
    parseScriptBody(program, false);
    return program;
}

// script-body := { handler | property | script | statement }, up to "end" when nested
void Parser::parseScriptBody(ScriptDef& script, bool nested)
{
    bool explicitRun = false;
    bool implicitRun = false;
    for (skipLineEnds(); cur().kind != TokenKind::EndOfFile && !(nested && isWord("end")); skipLineEnds()) {
        if ((isWord("on") || isWord("to")) && ahead(1).kind == TokenKind::Word && !isWord("error", 1)) {
            const Token at = cur();
            parseHandler(script);
            if (script.handlers.back().name == u"run") {
                if (explicitRun || implicitRun)
                    throwCompile(errSyntax, QStringLiteral("The run handler is specified more than once."), at.line,
                                 at.column);
                explicitRun = true;
                script.run = std::move(script.handlers.back().body);
                script.handlers.pop_back();
            }
        } else if (isWord("property") || isWord("prop")) {
            parseProperty(script);
        } else if (isWord("script") && ahead(1).kind == TokenKind::Word && !cur().barred) {
            // A named script object at the top of a script is one of its properties.
            NodePtr object = parseScriptObject();
            expectLineEnd();
            for (const auto& p : script.properties)
                if (p.first == object->script->name)
                    throwCompile(errSyntax,
                                 QStringLiteral("The property %1 is specified more than once.").arg(p.first),
                                 object->line, object->column);
            script.properties.emplace_back(object->script->name, std::move(object));
        } else {
            if (explicitRun)
                throwCompile(errSyntax, QStringLiteral("The run handler is specified more than once."), cur().line,
                             cur().column);
            implicitRun = true;
            NodePtr statement = parseStatement();
            if (statement->kind == NodeKind::Global)
                script.globals.insert(script.globals.end(), statement->names.begin(), statement->names.end());
            script.run.push_back(std::move(statement));
            expectLineEnd();
        }
    }
}

// script-object := "script" [ name ] EOL script-body "end" [ "script" ]
NodePtr Parser::parseScriptObject()
{
    const Token opener = cur();
    ++m_pos;
    auto def = std::make_shared<ScriptDef>();
    if (!atLineEnd())
        def->name = identifier("script name");
    expectLineEnd();
    Nesting nesting(*this);
    const int loops = std::exchange(m_loops, 0);
    parseScriptBody(*def, true);
    m_loops = loops;
    parseEnd("script", opener);
    NodePtr n = node(NodeKind::ScriptObject, opener);
    n->script = std::move(def);
    return n;
}

// script-statement := script-object: a named one is set to its name, either one is the result
NodePtr Parser::parseScriptStatement()
{
    NodePtr object = parseScriptObject();
    if (object->script->name.isEmpty()) {
        NodePtr n = node(NodeKind::ExprStatement, *object);
        n->a = std::move(object);
        return n;
    }
    NodePtr n = node(NodeKind::Set, *object);
    n->a = node(NodeKind::Variable, *object);
    n->a->name = object->script->name;
    n->b = std::move(object);
    return n;
}

// property := ("property" | "prop") name ":" expression EOL
void Parser::parseProperty(ScriptDef& program)
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
        {QStringLiteral("script"), &Parser::parseScriptStatement},
    };
    Nesting nesting(*this);
    if (cur().kind == TokenKind::Word && !cur().barred) {
        if (const auto it = kStatements.constFind(cur().text); it != kStatements.constEnd()) {
            if (it.value() == &Parser::parseConsidering)
                refuseUnsupported();
            return (this->*it.value())();
        }
        refuseUnsupported();
    }
    NodePtr n = node(NodeKind::ExprStatement, cur());
    n->a = parseExpression();
    return n;
}

// Statements of the language this engine does not run are refused by name, not
// as an unknown variable or an unexpected word.
void Parser::refuseUnsupported() const
{
    static const QStringList kUnsupported[] = {
        {QStringLiteral("with"), QStringLiteral("timeout")},
        {QStringLiteral("with"), QStringLiteral("transaction")},
        {QStringLiteral("using"), QStringLiteral("terms"), QStringLiteral("from")},
        {QStringLiteral("considering"), QStringLiteral("application"), QStringLiteral("responses")},
        {QStringLiteral("ignoring"), QStringLiteral("application"), QStringLiteral("responses")},
        {QStringLiteral("continue")},
    };
    const QString& first = cur().text;
    if (first != u"with" && first != u"using" && first != u"continue" && first != u"considering"
        && first != u"ignoring")
        return;
    for (const QStringList& words : kUnsupported)
        if (matchWords(words) && (words.size() > 1 || ahead(1).kind == TokenKind::Word))
            throwCompile(errSyntax, QStringLiteral("“%1” is not supported by this script engine.").arg(words.join(u' ')),
                         cur().line, cur().column);
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

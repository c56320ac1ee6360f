// Token helpers of the Parser: looking ahead, accepting and expecting words and
// symbols, nesting, and the form of compile errors.

#include "platform/applescript/Parser.h"

#include "platform/applescript/ScriptError.h"

namespace platform::applescript {

Parser::Nesting::Nesting(Parser& p) : m_p(p)
{
    if (++m_p.m_nesting > m_p.m_maxNesting)
        throwCompile(errSyntax, QStringLiteral("The script is nested too deeply."), m_p.cur().line, m_p.cur().column);
}

Parser::Parser(std::vector<Token> tokens, int maxNesting) : m_maxNesting(maxNesting)
{
    // The article "the" is noise in this language wherever it stands.
    m_tokens.reserve(tokens.size());
    for (Token& t : tokens)
        if (!(t.kind == TokenKind::Word && !t.barred && t.text == u"the"))
            m_tokens.push_back(std::move(t));
}

const Token& Parser::ahead(int k) const
{
    const size_t i = m_pos + static_cast<size_t>(k);
    return i < m_tokens.size() ? m_tokens[i] : m_tokens.back();
}

bool Parser::isWord(const char* w, int k) const
{
    const Token& t = ahead(k);
    return t.kind == TokenKind::Word && !t.barred && t.text == QLatin1String(w);
}

bool Parser::isSymbol(const char* s, int k) const
{
    const Token& t = ahead(k);
    return t.kind == TokenKind::Symbol && t.text == QString::fromUtf8(s);
}

bool Parser::acceptWord(const char* w)
{
    if (!isWord(w))
        return false;
    ++m_pos;
    return true;
}

bool Parser::acceptSymbol(const char* s)
{
    if (!isSymbol(s))
        return false;
    ++m_pos;
    return true;
}

void Parser::expectWord(const char* w, const QString& closing)
{
    if (!acceptWord(w))
        fail(QStringLiteral("\"%1\"%2").arg(QLatin1String(w), closing), cur());
}

void Parser::expectSymbol(const char* s)
{
    if (!acceptSymbol(s))
        fail(QStringLiteral("\"%1\"").arg(QString::fromUtf8(s)), cur());
}

bool Parser::atLineEnd() const
{
    return cur().kind == TokenKind::EndOfLine || cur().kind == TokenKind::EndOfFile;
}

void Parser::expectLineEnd()
{
    if (!atLineEnd())
        failHere(QStringLiteral("end of line"));
    if (cur().kind == TokenKind::EndOfLine)
        ++m_pos;
}

void Parser::skipLineEnds()
{
    while (cur().kind == TokenKind::EndOfLine)
        ++m_pos;
}

int Parser::matchWords(const QStringList& words) const
{
    for (int i = 0; i < words.size(); ++i) {
        const Token& t = ahead(i);
        if (t.kind != TokenKind::Word || t.barred || t.text != words[i])
            return 0;
    }
    return static_cast<int>(words.size());
}

void Parser::fail(const QString& expected, const Token& found) const
{
    throwCompile(errExpected, QStringLiteral("Expected %1 but found %2.").arg(expected, describeToken(found)),
                 found.line, found.column);
}

NodePtr Parser::node(NodeKind kind, const Token& at) const
{
    auto n = std::make_unique<Node>();
    n->kind = kind;
    n->line = at.line;
    n->column = at.column;
    return n;
}

NodePtr Parser::node(NodeKind kind, const Node& at) const
{
    Token place;
    place.line = at.line;
    place.column = at.column;
    return node(kind, place);
}

QString Parser::identifier(const char* what)
{
    if (cur().kind != TokenKind::Word)
        failHere(QString::fromLatin1(what));
    return m_tokens[m_pos++].text;
}

}  // namespace platform::applescript

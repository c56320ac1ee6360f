#include "platform/applescript/Lexer.h"

#include "platform/applescript/ScriptError.h"

#include <charconv>
#include <cmath>
#include <string>

namespace platform::applescript {

namespace {

constexpr char16_t kContinuation = u'\u00AC';

bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_';
}

bool isWordPart(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c.isMark();
}

bool isApostrophe(QChar c)
{
    return c == u'\'' || c == u'\u2019';
}

class Lexer {
public:
    explicit Lexer(const QString& source) : m_src(source) { }

    std::vector<Token> run()
    {
        std::vector<Token> out;
        out.reserve(static_cast<size_t>(m_src.size() / 3 + 4));
        for (;;) {
            skipBlanks();
            Token t = start();
            if (atEnd()) {
                t.kind = TokenKind::EndOfFile;
                out.push_back(t);
                return out;
            }
            lexOne(t);
            if (t.kind == TokenKind::EndOfLine && !out.empty() && out.back().kind == TokenKind::EndOfLine)
                continue;
            out.push_back(std::move(t));
        }
    }

private:
    bool atEnd() const { return m_pos >= m_src.size(); }
    QChar peek(int ahead = 0) const
    {
        return m_pos + ahead < m_src.size() ? m_src.at(m_pos + ahead) : QChar();
    }

    Token start() const
    {
        Token t;
        t.line = m_line;
        t.column = m_pos - m_lineStart + 1;
        return t;
    }

    [[noreturn]] void fail(const Token& at, const QString& message) const
    {
        throwCompile(errSyntax, message, at.line, at.column);
    }

    void newLine(int breakLength)
    {
        m_pos += breakLength;
        ++m_line;
        m_lineStart = m_pos;
    }

    int lineBreakLength() const
    {
        if (peek() == u'\r')
            return peek(1) == u'\n' ? 2 : 1;
        return peek() == u'\n' ? 1 : 0;
    }

    // Blanks, comments and continued lines; stops before a line break that counts.
    void skipBlanks()
    {
        while (!atEnd()) {
            const QChar c = peek();
            if (c == u' ' || c == u'\t' || c == u'\f' || c == u'\u00A0') {
                ++m_pos;
            } else if (c == u'-' && peek(1) == u'-') {
                skipLineComment();
            } else if (c == u'#') {
                skipLineComment();
            } else if (c == u'(' && peek(1) == u'*') {
                skipBlockComment();
            } else if (c == kContinuation) {
                ++m_pos;
                while (peek() == u' ' || peek() == u'\t')
                    ++m_pos;
                if (peek() == u'-' && peek(1) == u'-')
                    skipLineComment();
                if (const int n = lineBreakLength())
                    newLine(n);
            } else {
                return;
            }
        }
    }

    void skipLineComment()
    {
        while (!atEnd() && peek() != u'\r' && peek() != u'\n')
            ++m_pos;
    }

    // (* ... *), nested; line breaks inside still count for positions.
    void skipBlockComment()
    {
        const Token opening = start();
        int depth = 0;
        while (!atEnd()) {
            if (peek() == u'(' && peek(1) == u'*') {
                ++depth;
                m_pos += 2;
            } else if (peek() == u'*' && peek(1) == u')') {
                m_pos += 2;
                if (--depth == 0)
                    return;
            } else if (const int n = lineBreakLength()) {
                newLine(n);
            } else {
                ++m_pos;
            }
        }
        fail(opening, QStringLiteral("Expected \"*)\" but found end of script."));
    }

    void lexOne(Token& t)
    {
        const QChar c = peek();
        if (const int n = lineBreakLength()) {
            t.kind = TokenKind::EndOfLine;
            newLine(n);
        } else if (c == u'"' || c == u'\u201C') {
            lexString(t);
        } else if (c == u'|') {
            lexBarred(t);
        } else if (c.isDigit() || (c == u'.' && peek(1).isDigit())) {
            lexNumber(t);
        } else if (isWordStart(c)) {
            lexWord(t);
        } else if (isApostrophe(c) && (peek(1) == u's' || peek(1) == u'S') && !isWordPart(peek(2))) {
            t.kind = TokenKind::Possessive;
            t.text = QStringLiteral("'s");
            m_pos += 2;
        } else {
            lexSymbol(t);
        }
    }

    void lexString(Token& t)
    {
        const QChar close = peek() == u'"' ? QChar(u'"') : QChar(u'\u201D');
        ++m_pos;
        t.kind = TokenKind::String;
        QString text;
        for (;;) {
            if (atEnd())
                fail(t, QStringLiteral("Expected \"\"\" but found end of script."));
            const QChar c = peek();
            if (c == close) {
                ++m_pos;
                break;
            }
            if (c == u'\\') {
                const Token at = start();
                switch (peek(1).unicode()) {
                case u'"': text += u'"'; break;
                case u'\\': text += u'\\'; break;
                case u't': text += u'\t'; break;
                case u'r': text += u'\r'; break;
                case u'n': text += u'\n'; break;
                default: fail(at, QStringLiteral("Expected \"\"\" but found unknown token."));
                }
                m_pos += 2;
            } else if (const int n = lineBreakLength()) {
                text += m_src.mid(m_pos, n);
                newLine(n);
            } else {
                text += c;
                ++m_pos;
            }
        }
        t.text = std::move(text);
    }

    void lexBarred(Token& t)
    {
        ++m_pos;
        const int begin = m_pos;
        while (!atEnd() && peek() != u'|' && peek() != u'\r' && peek() != u'\n')
            ++m_pos;
        if (peek() != u'|')
            fail(t, QStringLiteral("Expected \"|\" but found end of line."));
        t.kind = TokenKind::Word;
        t.barred = true;
        t.text = m_src.mid(begin, m_pos - begin).toLower();
        ++m_pos;
    }

    void lexNumber(Token& t)
    {
        const int begin = m_pos;
        bool isReal = false;
        while (peek().isDigit())
            ++m_pos;
        if (peek() == u'.' && peek(1).isDigit()) {
            isReal = true;
            ++m_pos;
            while (peek().isDigit())
                ++m_pos;
        } else if (peek() == u'.' && !isWordStart(peek(1))) {
            isReal = true;  // "1." is the real 1.0
            ++m_pos;
        }
        if ((peek() == u'e' || peek() == u'E')
            && (peek(1).isDigit() || ((peek(1) == u'+' || peek(1) == u'-') && peek(2).isDigit()))) {
            isReal = true;
            m_pos += 2;
            while (peek().isDigit())
                ++m_pos;
        }
        if (isWordStart(peek()))
            fail(t, QStringLiteral("Expected end of line but found identifier."));
        const std::string digits = m_src.mid(begin, m_pos - begin).toStdString();
        const char* first = digits.data();
        const char* last = first + digits.size();
        if (!isReal) {
            auto [ptr, ec] = std::from_chars(first, last, t.integer);
            if (ec == std::errc() && ptr == last) {
                t.kind = TokenKind::Integer;
                return;
            }
        }
        t.kind = TokenKind::Real;
        t.real = std::strtod(digits.c_str(), nullptr);
        if (!std::isfinite(t.real))
            fail(t, QStringLiteral("The number is too large."));
    }

    void lexWord(Token& t)
    {
        const int begin = m_pos;
        while (isWordPart(peek()))
            ++m_pos;
        // isn't, doesn't: the apostrophe belongs to the word
        if (isApostrophe(peek()) && (peek(1) == u't' || peek(1) == u'T') && !isWordPart(peek(2))
            && (m_src.at(m_pos - 1) == u'n' || m_src.at(m_pos - 1) == u'N'))
            m_pos += 2;
        t.kind = TokenKind::Word;
        t.text = m_src.mid(begin, m_pos - begin).toLower();
        t.text.replace(u'\u2019', u'\'');
    }

    void lexSymbol(Token& t)
    {
        const char16_t c = peek().unicode();
        t.kind = TokenKind::Symbol;
        if ((c == u'>' || c == u'<') && peek(1) == u'=') {
            t.text = QString(QChar(c == u'>' ? u'\u2265' : u'\u2264'));
            m_pos += 2;
            return;
        }
        static constexpr char16_t kSingle[] = u"&+-*/^=<>(){},:\u2260\u2264\u2265";
        for (const char16_t s : kSingle) {
            if (s != 0 && s == c) {
                t.text = QString(QChar(c));
                ++m_pos;
                return;
            }
        }
        if (c == u'\u00F7') {
            t.text = QStringLiteral("/");
            ++m_pos;
            return;
        }
        fail(t, QStringLiteral("Expected expression but found unknown token \u201C%1\u201D.").arg(peek()));
    }

    const QString& m_src;
    int m_pos = 0;
    int m_line = 1;
    int m_lineStart = 0;
};

}  // namespace

std::vector<Token> tokenize(const QString& source)
{
    return Lexer(source).run();
}

QString describeToken(const Token& token)
{
    switch (token.kind) {
    case TokenKind::EndOfLine: return QStringLiteral("end of line");
    case TokenKind::EndOfFile: return QStringLiteral("end of script");
    case TokenKind::String: return QStringLiteral("\"") + token.text + QStringLiteral("\"");
    case TokenKind::Integer: return QString::number(token.integer);
    case TokenKind::Real: return QString::number(token.real);
    default: return QStringLiteral("\"") + token.text + QStringLiteral("\"");
    }
}

}  // namespace platform::applescript

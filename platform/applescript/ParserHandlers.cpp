// Handlers of the Parser: definitions with positional or labelled parameters,
// and the calls that give labelled parameters (`findText of "a" in "abc"`,
// `greet given name:"Ann"`, `show with details`).
//
// A call with labels looks like a property read (`findText of x`), so the parser
// first notes which handlers of the whole source take labels; only their names
// start a labelled call.

#include "platform/applescript/Parser.h"

#include "platform/applescript/ScriptError.h"

#include <array>

namespace platform::applescript {

namespace {

struct Preposition {
    const char* words;
    const char* label;
};

// The language's parameter labels; `through` is `thru`.
constexpr std::array<Preposition, 27> kPrepositions = {{
    {"apart from", "apart from"}, {"aside from", "aside from"}, {"instead of", "instead of"},
    {"out of", "out of"},         {"about", "about"},           {"above", "above"},
    {"against", "against"},       {"around", "around"},         {"at", "at"},
    {"below", "below"},           {"beneath", "beneath"},       {"beside", "beside"},
    {"between", "between"},       {"by", "by"},                 {"for", "for"},
    {"from", "from"},             {"into", "into"},             {"on", "on"},
    {"onto", "onto"},             {"over", "over"},             {"since", "since"},
    {"through", "thru"},          {"thru", "thru"},             {"under", "under"},
    {"in", "in"},                 {"with", ""},                 {"without", ""},
}};

const std::vector<QString>& labelStops()
{
    static const std::vector<QString> stops = [] {
        std::vector<QString> v;
        for (const Preposition& p : kPrepositions)
            v.push_back(QString::fromLatin1(p.words).section(u' ', 0, 0));
        v.push_back(QStringLiteral("given"));
        return v;
    }();
    return stops;
}

}  // namespace

// The preposition label at the token k ahead: its length in words and its label.
int Parser::matchPreposition(int k, QString* label) const
{
    for (const Preposition& p : kPrepositions) {
        if (!*p.label)
            continue;
        const QStringList words = QString::fromLatin1(p.words).split(u' ');
        bool all = true;
        for (int i = 0; i < words.size() && all; ++i)
            all = isWord(words[i].toLatin1().constData(), k + i);
        if (all) {
            *label = QString::fromLatin1(p.label);
            return static_cast<int>(words.size());
        }
    }
    return 0;
}

bool Parser::startsLabels(int k) const
{
    QString label;
    return isWord("of", k) || isWord("in", k) || isWord("given", k) || isWord("with", k) || isWord("without", k)
        || matchPreposition(k, &label) > 0;
}

// A labelled handler's name with a label after it.
bool Parser::startsLabelledCall() const
{
    // `given` follows nothing else, so it starts a call to any handler (which may refuse it).
    return cur().kind == TokenKind::Word && !cur().barred
        && ((m_labelledHandlers.contains(cur().text) && startsLabels(1)) || (isWord("given", 1) && !isReserved(cur().text) && !stopsAt("given")));
}

// Notes every handler defined with labels: `on NAME` at a line start, followed
// by something other than "(" or the line end.
void Parser::findLabelledHandlers()
{
    for (size_t i = 0; i + 2 < m_tokens.size(); ++i) {
        const Token& t = m_tokens[i];
        if (t.kind != TokenKind::Word || t.barred || (t.text != u"on" && t.text != u"to"))
            continue;
        if (i > 0 && m_tokens[i - 1].kind != TokenKind::EndOfLine)
            continue;
        const Token& name = m_tokens[i + 1];
        const Token& next = m_tokens[i + 2];
        if (name.kind != TokenKind::Word || name.text == u"error")
            continue;
        if (next.kind == TokenKind::EndOfLine || next.kind == TokenKind::EndOfFile
            || (next.kind == TokenKind::Symbol && next.text == u"("))
            continue;
        m_labelledHandlers.insert(name.text);
    }
}

// handler := ("on" | "to") name ( "(" [ name { "," name } ] ")" | labels ) EOL block "end" [ name ]
// labels  := [ ("of" | "in") name ] { preposition name } [ "given" label ":" name { "," label ":" name } ]
void Parser::parseHandler(ScriptDef& script)
{
    const Token opener = cur();
    ++m_pos;
    Handler handler;
    handler.line = opener.line;
    handler.name = identifier("handler name");
    for (const Handler& h : script.handlers)
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
    } else if (!atLineEnd()) {
        handler.takesLabels = true;
        auto add = [&](const QString& label, const Token& at) {
            for (const auto& existing : handler.labelled)
                if (existing.first == label)
                    throwCompile(errSyntax,
                                 QStringLiteral("The parameter label “%1” is specified more than once.")
                                     .arg(label.startsWith(u':') ? label.mid(1) : label),
                                 at.line, at.column);
            handler.labelled.emplace_back(label, identifier("parameter name"));
        };
        if (isWord("of") || isWord("in")) {
            const Token at = cur();
            ++m_pos;
            add(QStringLiteral("of"), at);
        }
        QString label;
        while (const int length = matchPreposition(0, &label)) {
            const Token at = cur();
            m_pos += static_cast<size_t>(length);
            add(label, at);
        }
        if (acceptWord("given")) {
            do {
                const Token at = cur();
                const QString name = identifier("parameter label");
                expectSymbol(":");
                add(u':' + name, at);
            } while (acceptSymbol(","));
        }
        if (handler.labelled.empty())
            failHere(QStringLiteral("\"(\", a parameter label or end of line"));
    }
    expectLineEnd();
    const int loops = std::exchange(m_loops, 0);
    handler.body = parseBlock();
    m_loops = loops;
    expectWord("end", QStringLiteral(" (to close \"%1\" at line %2)").arg(handler.name).arg(opener.line));
    if (cur().kind == TokenKind::Word && !atLineEnd()) {
        if (cur().text != handler.name)
            fail(QStringLiteral("\"end %1\"").arg(handler.name), cur());
        ++m_pos;
    }
    expectLineEnd();
    script.handlers.push_back(std::move(handler));
}

// labelled-call := name [ ("of" | "in") expression ] { preposition expression }
//                  { "given" label ":" expression { "," label ":" expression }
//                  | ("with" | "without") label { ("," | "and") label } }
NodePtr Parser::parseLabelledCall(const Token& at, bool my)
{
    NodePtr n = node(NodeKind::Call, at);
    n->name = cur().text;
    n->flag = my;
    ++m_pos;
    m_stops.push_back(&labelStops());
    auto argument = [&](const QString& label) {
        for (const QString& existing : n->names)
            if (existing == label)
                failHere(QStringLiteral("a parameter label not given before"));
        n->names.push_back(label);
        n->kids.push_back(parseExpression());
    };
    if (acceptWord("of") || acceptWord("in"))
        argument(QStringLiteral("of"));
    for (;;) {
        QString label;
        if (const int length = matchPreposition(0, &label)) {
            m_pos += static_cast<size_t>(length);
            argument(label);
        } else if (acceptWord("given")) {
            // A comma goes on with another label only before `label:`, so `{f given a:1, 2}` stays a list.
            do {
                const QString name = identifier("parameter label");
                expectSymbol(":");
                argument(u':' + name);
            } while (isSymbol(",") && ahead(1).kind == TokenKind::Word && isSymbol(":", 2) && acceptSymbol(","));
        } else if (isWord("with") || isWord("without")) {
            const bool value = isWord("with");
            ++m_pos;
            do {
                const Token flagAt = cur();
                const QString name = u':' + identifier("parameter label");
                for (const QString& existing : n->names)
                    if (existing == name)
                        fail(QStringLiteral("a parameter label not given before"), flagAt);
                n->names.push_back(name);
                NodePtr literal = node(NodeKind::Literal, flagAt);
                literal->value = Value(value);
                n->kids.push_back(std::move(literal));
            } while (acceptSymbol(",") || acceptWord("and"));
        } else {
            break;
        }
    }
    m_stops.pop_back();
    return n;
}

}  // namespace platform::applescript
